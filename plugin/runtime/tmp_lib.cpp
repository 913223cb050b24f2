int kel_tmp_lib() { return 1; }

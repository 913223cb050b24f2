int kel_tmp_support() { return 0; }

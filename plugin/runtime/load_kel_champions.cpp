#include <string>
#include <vector>
extern "C" __attribute__((visibility("default"))) void load_kel_champions(void* r) { std::vector<std::string> v; v.push_back("x"); *(int*)r = (int)v.size(); }

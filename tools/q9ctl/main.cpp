#include <iostream>

#include "Q9Ctl.h"

int main(int argc, char** argv) { return q9::RunQ9Ctl(argc, argv, std::cout, std::cerr); }

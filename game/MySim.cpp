#include "MySim.h"

#include <iostream>

MySim::MySim() { std::cout << "der init" << std::endl; }

void MySim::init() {}

void MySim::update() {}

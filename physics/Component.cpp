#include "Component.h"

#include <iostream>

int nextComponentId = 0;

Component::Component() : id(nextComponentId)
{
    std::cout << nextComponentId << std::endl;
    ++nextComponentId;
}

#include "Component.h"

#include <iostream>

int nextComponentId = 0;

Component::Component() : id(nextComponentId)
{
    // Two of these a bullet: the engine flushes the console once a tick rather than once a line.
    std::cout << nextComponentId << '\n';
    ++nextComponentId;
}

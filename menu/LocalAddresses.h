#pragma once

#include <string>
#include <vector>

// The IPv4 addresses of this machine's network interfaces that are up, the loopback last (and only
// if there is no other): what a host tells the other player to join.
std::vector<std::string> localAddresses();

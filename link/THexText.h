#pragma once
// Upper-case hexadecimal digits as the traffic log shows them.

#include <string>

class THexText {
public:
    static std::string of(unsigned value, int digits);
};

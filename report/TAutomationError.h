#pragma once
// An automation operation that could not be carried out (a cell, row or column
// that does not exist, a move with no place to go, a paste with nothing cut).

#include <stdexcept>
#include <string>

class TAutomationError : public std::runtime_error {
public:
    explicit TAutomationError(const std::string& operation) : std::runtime_error(operation) {}
};

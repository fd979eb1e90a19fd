// The one error type that reaches a user: its text is the Spanish sentence to show (UTF-8).
#pragma once

#include <stdexcept>

namespace stores {

struct RunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace stores

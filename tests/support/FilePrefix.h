#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What `check` says of the first `length` bytes of `file`, handed to it in a buffer of their own size, so
// that AddressSanitizer sees any read past their end.
template <typename Check>
auto checkPrefix(Check check, const std::string& file, std::size_t length)
{
    const std::vector<unsigned char> prefix(file.begin(), file.begin() + static_cast<long>(length));
    return check(prefix.data(), prefix.size());
}

#include "app/LookupRandom.h"

LookupRandom lookupRandom;

int LookupRandom::next()
{
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// Counts calls of the global operator new while an AllocationCounter lives.
#pragma once

#include <cstddef>

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    std::size_t count() const;
};

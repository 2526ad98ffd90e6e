#pragma once
// Stand-ins for the platform's scale lookups for the life of a test.
#include "common/DisplayScale.h"

class CDpiLookupsInUse {
public:
    explicit CDpiLookupsInUse(const DpiLookups& lookups) : m_lookups(lookups) {
        UseDpiLookups(&m_lookups);
    }
    ~CDpiLookupsInUse() { UseDpiLookups(nullptr); }
    CDpiLookupsInUse(const CDpiLookupsInUse&) = delete;
    CDpiLookupsInUse& operator=(const CDpiLookupsInUse&) = delete;

private:
    const DpiLookups m_lookups;
};

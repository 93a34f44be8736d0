#include "package/BZip2Memory.h"

#include <new>

namespace cvn {

void* TBZip2Memory::Allocate(void* memory, int count, int each) {
    auto& m = *static_cast<TBZip2Memory*>(memory);
    const size_t n = size_t(count) * size_t(each);
    for (int i = 0; i < 2; ++i) {
        if (m.used_[i]) continue;
        if (m.size_[i] < n) {
            m.area_[i].reset(new (std::nothrow) uint8_t[n]);
            m.size_[i] = m.area_[i] ? n : 0;
            if (!m.area_[i]) return nullptr;
        }
        m.used_[i] = true;
        return m.area_[i].get();
    }
    return nullptr;
}

void TBZip2Memory::Release(void* memory, void* p) {
    auto& m = *static_cast<TBZip2Memory*>(memory);
    for (int i = 0; i < 2; ++i)
        if (m.area_[i].get() == p) m.used_[i] = false;
}

} // namespace cvn

#include "patchDataContainer.h"

#include <cstdio>

void patchDataContainer::setValue(int k1, int k2, int index, int value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.store({k1, k2, index}, value);
}

int patchDataContainer::findControl(int k1, int k2, int index) const
{
    bool outerMissing = false;
    int value = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int* hit = m_values.find({k1, k2, index}, outerMissing);
        if (hit)
            value = *hit;
    }
    if (outerMissing)
        std::printf("patchDataContainer : Not found\n");
    return value;
}

std::size_t patchDataContainer::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values.size();
}

#include "NvStore.h"

namespace korva::sim {

int NvImage::DarknessAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= widthDots || y >= heightDots) return 0;
    if (gray) {
        // Rows top to bottom, two dots per byte, the left dot in the high nibble.
        size_t index = (static_cast<size_t>(y) * widthDots + x) / 2;
        if (index >= data.size()) return 0;
        int nibble = (x % 2 == 0) ? (data[index] >> 4) : (data[index] & 0x0F);
        return nibble > 5 ? 5 : nibble;
    }
    // Columns left to right, each column top to bottom in bytes of 8 dots, bit 7 on top.
    size_t bytesPerColumn = static_cast<size_t>(heightDots) / 8;
    size_t index = static_cast<size_t>(x) * bytesPerColumn + static_cast<size_t>(y) / 8;
    if (index >= data.size()) return 0;
    return (data[index] & (0x80 >> (y % 8))) ? 5 : 0;
}

void NvStore::EraseAll() {
    m_Images.clear();
    m_Used = 0;
}

void NvStore::Store(NvImage image) {
    m_Used += image.data.size();
    m_Images.push_back(std::move(image));
}

const NvImage* NvStore::Find(int number) const {
    for (const NvImage& image : m_Images)
        if (image.number == number) return &image;
    return nullptr;
}

}  // namespace korva::sim

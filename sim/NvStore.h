#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korva::sim {

/// One image held in NV graphics memory, numbered 1..n in definition order.
struct NvImage {
    int number = 0;
    int widthDots = 0;
    int heightDots = 0;
    bool gray = false;          ///< 4-bit row raster instead of 1-bit columns
    std::vector<uint8_t> data;  ///< raster exactly as it arrived

    /// Darkness of one dot, 0 (white) .. 5 (black); 1-bit images give 0 or 5.
    int DarknessAt(int x, int y) const;
};

/// The printer's NV graphics memory: what FS q stores and FS p prints.
class NvStore {
  public:
    /// Capacity in bytes; the NV graphic memory user setting decides it.
    void SetCapacity(size_t bytes) { m_Capacity = bytes; }
    size_t Capacity() const { return m_Capacity; }
    size_t Used() const { return m_Used; }

    void EraseAll();
    /// True when an image of this many raster bytes still fits.
    bool Fits(size_t bytes) const { return m_Used + bytes <= m_Capacity; }
    void Store(NvImage image);
    const NvImage* Find(int number) const;
    const std::vector<NvImage>& Images() const { return m_Images; }

  private:
    size_t m_Capacity = 384 * 1024;
    size_t m_Used = 0;
    std::vector<NvImage> m_Images;
};

}  // namespace korva::sim

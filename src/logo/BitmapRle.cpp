#include "logo/BitmapRle.h"

#include <algorithm>

namespace korva::logo {
namespace {

// Writes decoded pixels into bottom-up rows: `line` counts stored rows from the
// bottom, so it equals the stored row index.
class RleWriter {
  public:
    RleWriter(int bitsPerPixel, int width, int height, int stride, std::vector<uint8_t>& rows)
        : m_Bits(bitsPerPixel), m_Width(width), m_Height(height), m_Stride(stride), m_Rows(rows) {}

    bool RowFull() const { return m_X >= m_Width; }
    bool ImageDone() const { return m_Line >= m_Height; }
    int Line() const { return m_Line; }
    // Pixels past the row end are dropped: encoders such as ImageMagick run
    // every row out to a multiple of 4 pixels. The position stops at the end.
    void Put(uint8_t index) {
        if (m_X >= m_Width) return;
        uint8_t* row = m_Rows.data() + static_cast<size_t>(m_Line) * static_cast<size_t>(m_Stride);
        if (m_Bits == 8) {
            row[m_X] = index;
        } else {
            const int shift = (m_X % 2 == 0) ? 4 : 0;  // even pixel in the high nibble
            row[m_X / 2] = static_cast<uint8_t>(row[m_X / 2] | ((index & 0x0F) << shift));
        }
        ++m_X;
    }
    void EndOfLine() {
        ++m_Line;
        m_X = 0;
    }
    bool Move(int dx, int dy) {
        if (m_X + dx > m_Width || m_Line + dy > m_Height) return false;
        if (dy > 0 && m_Line + dy == m_Height && m_X + dx > 0) return false;
        m_X += dx;
        m_Line += dy;
        return true;
    }

  private:
    int m_Bits, m_Width, m_Height, m_Stride;
    std::vector<uint8_t>& m_Rows;
    int m_X = 0;
    int m_Line = 0;
};

std::string RowText(const RleWriter& out) { return "row " + std::to_string(out.Line() + 1); }

}  // namespace

std::string ExpandRle(std::span<const uint8_t> data, int bitsPerPixel, int width, int height,
                      int stride, std::vector<uint8_t>& rows) {
    RleWriter out(bitsPerPixel, width, height, stride, rows);
    const bool four = bitsPerPixel == 4;
    size_t pos = 0;
    while (true) {
        if (pos + 2 > data.size()) {
            // Some encoders stop after the last row without an end-of-bitmap mark.
            if (out.ImageDone()) return {};
            return "compressed data ends before the image is complete";
        }
        const int count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {  // encoded run: count pixels of one index (RLE4: two alternating)
            if (out.ImageDone()) return "a run passes the last row of the image";
            for (int i = 0; i < count; ++i) {
                const uint8_t index = four ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value;
                out.Put(index);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                if (out.ImageDone()) return "an end-of-line passes the last row of the image";
                out.EndOfLine();
                break;
            case 1:  // end of bitmap: the remaining pixels stay index 0
                return {};
            case 2: {  // delta: skip right and up
                if (pos + 2 > data.size()) return "compressed data ends inside a position jump";
                const int dx = data[pos], dy = data[pos + 1];
                pos += 2;
                if (!out.Move(dx, dy)) return "a position jump leaves the image at " + RowText(out);
                break;
            }
            default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
                const int n = value;
                const size_t bytes =
                    four ? (static_cast<size_t>(n) + 1) / 2 : static_cast<size_t>(n);
                const size_t padded = (bytes + 1) / 2 * 2;
                if (pos + bytes > data.size()) return "compressed data ends inside a literal run";
                if (out.ImageDone()) return "a run passes the last row of the image";
                for (int i = 0; i < n; ++i) {
                    const uint8_t byte =
                        data[pos + (four ? static_cast<size_t>(i / 2) : static_cast<size_t>(i))];
                    out.Put(four ? ((i % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
                }
                pos += std::min(padded, data.size() - pos);
                break;
            }
        }
    }
}

}  // namespace korva::logo

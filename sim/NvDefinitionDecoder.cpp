#include "NvDefinitionDecoder.h"

#include "Printer.h"

namespace korva::sim {
namespace {
constexpr uint8_t kGrayMark = 0xA0;  // set in xH: the image is a 4-bit gray raster
}

void NvDefinitionDecoder::Begin() {
    m_Phase = Phase::Count;
    m_Index = 0;
    m_HeaderFill = 0;
    m_Refusing = false;
}

bool NvDefinitionDecoder::Feed(uint8_t b) {
    switch (m_Phase) {
        case Phase::Count:
            m_Count = b;
            if (m_Count == 0) {
                m_Printer.Event("FS q: zero images announced; ignored");
                return true;
            }
            // Announcing the images erases the whole NV graphics memory first.
            m_Printer.Nv().EraseAll();
            m_Printer.Event("FS q: " + std::to_string(m_Count) +
                            " images announced; NV memory erased");
            m_Printer.Changed();
            m_Phase = Phase::Header;
            return false;
        case Phase::Header:
            m_Header[m_HeaderFill++] = b;
            if (m_HeaderFill < 4) return false;
            m_HeaderFill = 0;
            StartImage();
            if (m_DataLeft == 0) {
                FinishImage();
                return m_Index >= m_Count;
            }
            m_Phase = Phase::Data;
            return false;
        case Phase::Data:
            if (!m_Refusing) m_Image.data.push_back(b);
            if (--m_DataLeft > 0) return false;
            FinishImage();
            m_Phase = Phase::Header;
            return m_Index >= m_Count;
    }
    return true;
}

void NvDefinitionDecoder::StartImage() {
    ++m_Index;
    const uint8_t xL = m_Header[0], xH = m_Header[1], yL = m_Header[2], yH = m_Header[3];
    bool gray = (xH & kGrayMark) == kGrayMark;
    size_t x = xL + 256u * (gray ? (xH & ~kGrayMark) : xH);  // width in bytes (8 dots)
    size_t y = yL + 256u * yH;                               // height in bytes (8 dots)
    m_Image = NvImage{};
    m_Image.number = m_Index;
    m_Image.widthDots = static_cast<int>(x * 8);
    m_Image.heightDots = static_cast<int>(y * 8);
    m_Image.gray = gray;
    m_DataLeft = (gray ? 32 : 8) * x * y;
    if (m_DataLeft == 0) return;
    if (!m_Refusing && !m_Printer.Nv().Fits(m_DataLeft)) {
        m_Refusing = true;
        m_Printer.Event("FS q: image " + std::to_string(m_Index) + " of " +
                        std::to_string(m_DataLeft) + " bytes does not fit (" +
                        std::to_string(m_Printer.Nv().Used()) + " of " +
                        std::to_string(m_Printer.Nv().Capacity()) +
                        " bytes used); refused with every later image");
    }
    if (!m_Refusing) m_Image.data.reserve(m_DataLeft);
}

void NvDefinitionDecoder::FinishImage() {
    if (m_Image.widthDots == 0 || m_Image.heightDots == 0) {
        m_Printer.Event("FS q: image " + std::to_string(m_Index) + " has an empty header");
        return;
    }
    if (m_Refusing) return;
    m_Printer.Nv().Store(std::move(m_Image));
    m_Image = NvImage{};
    m_Printer.Changed();
}

}  // namespace korva::sim

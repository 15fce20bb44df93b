#include "logo/LogoBitmap.h"

#include <algorithm>

#include "logo/BitmapGray.h"
#include "logo/LogoDither.h"
#include "logo/LogoGeometry.h"

namespace korva::logo {

bool CLogoBitmap::LoadFile(std::span<const uint8_t> file) { return LoadDecoded(DecodeBitmap(file)); }

bool CLogoBitmap::LoadFile(std::vector<uint8_t>&& file) {
    return LoadDecoded(DecodeBitmap(std::move(file)));
}

void CLogoBitmap::Unload(BitmapError reason) {
    BitmapDecodeResult result;
    result.error = std::move(reason);
    if (result.error.kind == BitmapErrorKind::None)
        result.error.kind = BitmapErrorKind::FileUnreadable;
    LoadDecoded(std::move(result));
}

bool CLogoBitmap::LoadDecoded(BitmapDecodeResult&& result) {
    m_Loaded = false;
    m_RasterLength = 0;
    m_CentringBytes = 0;
    m_PaddedWidth = m_PaddedHeight = 0;
    m_Error = std::move(result.error);
    m_Bitmap = std::move(result.bitmap);
    if (m_Error.kind != BitmapErrorKind::None) {
        m_Bitmap = DecodedBitmap{};
        return false;
    }
    m_PaletteGray.assign(256, 255);
    for (size_t i = 0; i < m_Bitmap.palette.size(); ++i)
        m_PaletteGray[i] = PaletteGray(m_Bitmap.palette[i]);
    m_BlackIndex = (!m_Bitmap.palette.empty() && m_Bitmap.palette[0].blue == 0) ? 0 : 1;
    m_PaddedWidth = static_cast<int>(PaddedSide(m_Bitmap.width));
    m_PaddedHeight = static_cast<int>(PaddedSide(m_Bitmap.height));
    m_Loaded = true;
    return true;
}

uint8_t CLogoBitmap::GrayAt(int x, int y) const {
    if (!m_Loaded || x < 0 || y < 0 || x >= m_Bitmap.width || y >= m_Bitmap.height) return 255;
    return GrayPixel(m_Bitmap, x, y);
}

int CLogoBitmap::DotAt(int x, int y) const {
    if (!m_Loaded || x < 0 || y < 0 || x >= m_Bitmap.width || y >= m_Bitmap.height) return 0;
    return PixelIndex(m_Bitmap, m_Bitmap.Row(y), x) == m_BlackIndex ? 1 : 0;
}

// Tone-adjusted gray of every pixel of the padded image; the padding is white (255).
void CLogoBitmap::FillWorkImage(const LogoOptions& options) {
    const auto tone = ToneTable(options.threshold);
    bool identity = true;
    for (int g = 0; g < 256 && identity; ++g) identity = tone[static_cast<size_t>(g)] == g;
    const size_t pw = static_cast<size_t>(m_PaddedWidth), w = static_cast<size_t>(m_Bitmap.width);
    m_Work.resize(pw * static_cast<size_t>(m_PaddedHeight));
    for (int y = 0; y < m_Bitmap.height; ++y) {
        uint8_t* row = m_Work.data() + static_cast<size_t>(y) * pw;
        GrayRow(m_Bitmap, m_PaletteGray, y, row);
        if (!identity)
            for (size_t x = 0; x < w; ++x) row[x] = tone[row[x]];
        std::fill(row + w, row + pw, tone[255]);
    }
    std::fill(m_Work.begin() + static_cast<long>(static_cast<size_t>(m_Bitmap.height) * pw),
              m_Work.end(), tone[255]);
}

void CLogoBitmap::ConvertMono(const LogoOptions& options, bool center) {
    if (!m_Loaded) return;
    m_PaddedWidth = static_cast<int>(PaddedSide(m_Bitmap.width));
    m_CentringBytes = 0;
    const size_t pw = static_cast<size_t>(m_PaddedWidth);
    if (m_Bitmap.bitsPerPixel == 1) {
        // Two-colour images print their black pixels as they are: no tone, no diffusion.
        m_Work.assign(pw * static_cast<size_t>(m_PaddedHeight), 0);
        for (int y = 0; y < m_Bitmap.height; ++y)
            for (int x = 0; x < m_Bitmap.width; ++x)
                m_Work[static_cast<size_t>(y) * pw + static_cast<size_t>(x)] =
                    static_cast<uint8_t>(DotAt(x, y));
    } else {
        FillWorkImage(options);
        DiffuseMono(m_Work.data(), m_PaddedWidth, m_PaddedHeight);
    }
    m_RasterLength = m_PaddedWidth * (m_PaddedHeight / 8);
    m_Raster.resize(static_cast<size_t>(m_RasterLength));
    PackColumns(m_Work.data(), m_PaddedWidth, m_PaddedHeight, m_Raster.data());
    if (center) Centre(options.maxPrintableWidth);
}

// Shifts the column raster right by half the free width, rounded down and then
// up to whole bytes of columns. A non-positive width never centres.
void CLogoBitmap::Centre(int maxPrintableWidth) {
    if (maxPrintableWidth <= 0 || m_PaddedWidth >= maxPrintableWidth) return;
    const int shift = ((maxPrintableWidth - m_PaddedWidth) / 2 + 7) / 8 * 8;
    const int added = shift * (m_PaddedHeight / 8);
    m_Raster.insert(m_Raster.begin(), static_cast<size_t>(added), uint8_t{0});
    m_PaddedWidth += shift;
    m_RasterLength += added;
    m_CentringBytes = added;
}

void CLogoBitmap::ConvertGray(const LogoOptions& options) {
    if (!m_Loaded) return;
    m_PaddedWidth = static_cast<int>(PaddedSide(m_Bitmap.width));
    m_CentringBytes = 0;
    FillWorkImage(options);
    DiffuseGray(m_Work.data(), m_PaddedWidth, m_PaddedHeight);
    m_RasterLength = m_PaddedWidth * m_PaddedHeight / 2;
    m_Raster.resize(static_cast<size_t>(m_RasterLength));
    PackGrayRows(m_Work.data(), m_PaddedWidth, m_PaddedHeight, m_Raster.data());
}

}  // namespace korva::logo

#pragma once
#include <QImage>
#include <QString>
#include <vector>

#include "Printer.h"

namespace korva::sim {

/// Draws the receipt roll: items top to bottom on white paper at one pixel
/// per dot. A logo is drawn at its print size (double width doubles each dot
/// across, double height down) from the left margin; text lines in a fixed
/// font; a cut as a dashed line across the roll.
class PaperRenderer {
  public:
    static constexpr int kRollWidth = 576;  ///< 80 mm paper at 8 dots per mm
    static constexpr int kTopMargin = 8;
    static constexpr int kTextLineHeight = 24;
    static constexpr int kCutHeight = 16;
    /// The image stops growing here; later items are left off (a roll of
    /// many logos would otherwise take gigabytes).
    static constexpr int kMaxHeight = 30000;
    static constexpr int kMaxWidth = 4096;

    explicit PaperRenderer(QString path) : m_Path(std::move(path)) {}

    /// Renders the roll and replaces the image file atomically.
    bool Render(const std::vector<PaperItem>& items) const;
    static QImage Draw(const std::vector<PaperItem>& items);

  private:
    QString m_Path;
};

}  // namespace korva::sim

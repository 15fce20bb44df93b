#pragma once
#include <QFrame>
#include <QImage>

#include "logo/ui/ListPage.h"
#include "logo/ui/PreviewGeometry.h"

class QButtonGroup;
class QCheckBox;
class QRadioButton;
class QScrollArea;

namespace korva::logo::ui {

/// The empty frame the preview is drawn into: the bitmap at its top-left
/// corner, at the size the chosen print size gives it; or, as printer dots,
/// the raster the printer stores, one pixel per dot and never smoothed.
class PreviewFrame : public QFrame {
    Q_OBJECT
public:
    explicit PreviewFrame(QWidget* parent = nullptr);
    /// The bitmap as its colours, scaled into the frame.
    void SetImage(QImage image);
    /// The printer's dots (see PrinterDotsImage), drawn dot for dot.
    void SetDots(QImage dots);
    void SetQuality(PreviewQuality quality);
    /// The size the image is drawn at now; 0 x 0 when nothing is drawn.
    PreviewSize DrawnSize() const;
    bool ShowsDots() const { return !m_Dots.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:

    QImage m_Image;
    QImage m_Dots;
    PreviewQuality m_Quality = PreviewQuality::Normal;
};

/// The preview page: the list with one selectable row and the selected
/// bitmap drawn at one of the four print sizes.
class CPage2Preview : public ListPage {
    Q_OBJECT
public:
    explicit CPage2Preview(LogoToolContext& context, QWidget* parent = nullptr);

    QString Caption() const override { return QStringLiteral("Preview"); }
    QString HelpTopic() const override { return QStringLiteral("Preview"); }
    void OnSetActive() override;
    bool OnKillActive() override;

    PreviewFrame* Frame() const { return m_Frame; }
    QRadioButton* QualityButton(PreviewQuality quality) const;
    /// "Printer dots": the raster the upload sends instead of the colours.
    QCheckBox* DotsBox() const { return m_Dots; }

protected:
    void OnColumnClicked(int column) override;

private:
    void OnSelectionChanged();
    void DrawPreview();

    PreviewFrame* m_Frame;
    QScrollArea* m_FrameScroll;
    QCheckBox* m_Dots;
    QButtonGroup* m_Qualities;
    QRadioButton* m_QualityButtons[4];
};

}  // namespace korva::logo::ui

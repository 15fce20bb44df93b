#include "logo/ui/Page2Preview.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "logo/LogoList.h"
#include "logo/LogoOptions.h"
#include "logo/UploadConverter.h"
#include "logo/ui/BitmapImage.h"
#include "logo/ui/LogoListCtrl.h"

namespace korva::logo::ui {

namespace {
// Quality buttons in their order: the quality is the button's position.
constexpr const char* kQualityLabels[4] = {"&Normal", "&Quadraple", "Double &Height", "Double &Width"};
}  // namespace

PreviewFrame::PreviewFrame(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void PreviewFrame::SetImage(QImage image) {
    m_Image = std::move(image);
    m_Dots = QImage();
    update();
}

void PreviewFrame::SetDots(QImage dots) {
    m_Dots = std::move(dots);
    m_Image = QImage();
    update();
}

void PreviewFrame::SetQuality(PreviewQuality quality) {
    m_Quality = quality;
    update();
}

// Dots are drawn one screen pixel each (two where the print size doubles)
// when they fit in the frame, else shrunk to fit it, whole: the user sees the
// logo as it lies in the printable width without scrolling.
PreviewSize PreviewFrame::DrawnSize() const {
    const QRect area = contentsRect();
    if (!m_Dots.isNull())
        return FitWithin(DotsDrawSize(m_Dots.width(), m_Dots.height(), m_Quality), area.width(), area.height());
    if (m_Image.isNull()) return {};
    return PreviewDrawSize(area.width(), area.height(), m_Image.width(), m_Image.height(), m_Quality);
}

void PreviewFrame::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const PreviewSize size = DrawnSize();
    if (size.width <= 0 || size.height <= 0) return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    const QRect target(contentsRect().topLeft(), QSize(size.width, size.height));
    // Without smoothing each dot stays crisp: a block of whole pixels, or one
    // pixel of the dots it stands for when shrunk.
    painter.drawImage(target, m_Dots.isNull() ? m_Image : m_Dots);
}

CPage2Preview::CPage2Preview(LogoToolContext& context, QWidget* parent)
    : ListPage(context, LabelPage::Preview, false, parent),
      m_Frame(new PreviewFrame(this)),
      m_FrameScroll(new QScrollArea(this)),
      m_Dots(new QCheckBox(this)),
      m_Qualities(new QButtonGroup(this)) {
    m_FrameScroll->setWidget(m_Frame);
    m_FrameScroll->setWidgetResizable(true);
    m_FrameScroll->setFrameShape(QFrame::NoFrame);
    SetLabel(m_Dots, LabelPage::Preview, "Printer &dots");
    auto* qualities = new QGroupBox(this);
    auto* qualityLayout = new QHBoxLayout(qualities);
    for (int quality = 0; quality < 4; ++quality) {
        m_QualityButtons[quality] = new QRadioButton(qualities);
        SetLabel(m_QualityButtons[quality], LabelPage::Preview, kQualityLabels[quality]);
        m_Qualities->addButton(m_QualityButtons[quality], quality);
        qualityLayout->addWidget(m_QualityButtons[quality]);
    }
    m_QualityButtons[0]->setChecked(true);
    m_Frame->setAccessibleName(QStringLiteral("Preview"));

    auto* top = new QHBoxLayout;
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(m_ListLabel);
    listColumn->addWidget(m_List, 1);
    top->addLayout(listColumn, 1);
    auto* frameColumn = new QVBoxLayout;
    frameColumn->addWidget(m_FrameScroll, 1);
    frameColumn->addWidget(m_Dots);
    top->addLayout(frameColumn, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(qualities);
    layout->addLayout(TextsLayout());

    connect(m_Qualities, &QButtonGroup::idClicked, this,
            [this](int id) { m_Frame->SetQuality(static_cast<PreviewQuality>(id)); });
    connect(m_List, &QTreeWidget::itemSelectionChanged, this, &CPage2Preview::OnSelectionChanged);
    connect(m_Dots, &QCheckBox::toggled, this, &CPage2Preview::DrawPreview);
}

QRadioButton* CPage2Preview::QualityButton(PreviewQuality quality) const {
    return m_QualityButtons[static_cast<int>(quality) & 3];
}

void CPage2Preview::OnSetActive() {
    FirstDisplay();
    Refill();
    SelectRememberedRow();
    ShowTexts();
    m_Ctx.pageMarker = kMarkerPreview;
    DrawPreview();
}

bool CPage2Preview::OnKillActive() {
    m_Ctx.pageMarker = kMarkerPreview;
    return true;
}

void CPage2Preview::OnColumnClicked(int column) {
    ListPage::OnColumnClicked(column);
    DrawPreview();
}

void CPage2Preview::OnSelectionChanged() {
    // During the page's own refill (before it is marked active) a remembered
    // row stays as it is.
    if (m_Ctx.pageMarker == kMarkerPreview) {
        for (int row : m_List->SelectedRows()) m_Ctx.list.selectedRow = row;
    }
    DrawPreview();
}

void CPage2Preview::DrawPreview() {
    const int row = m_Ctx.list.selectedRow;
    if (row < 0 || row >= m_List->RowCount()) {
        m_Frame->SetImage({});
        return;
    }
    const int number = m_List->LogoNumberAt(row);
    for (const LogoEntry& entry : m_Ctx.list.entries) {
        if (entry.NumberValue() != number) continue;
        if (!m_Dots->isChecked()) {
            m_Frame->SetImage(LoadBitmapImage(entry.path));
            return;
        }
        // The converter of the upload, with the options and the centring it will use.
        const UploadEntry upload{entry.NumberValue(), entry.name, entry.path, entry.SizeValue(),
                                 entry.centerAlign};
        LogoRaster raster;
        if (MakeBitmapConverter(m_Ctx.options)(upload, 1, raster))
            m_Frame->SetDots(PrinterDotsImage(raster, m_Ctx.options.grayPrinting));
        else
            m_Frame->SetImage({});
        return;
    }
    m_Frame->SetImage({});
}

}  // namespace korva::logo::ui

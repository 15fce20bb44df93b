#include "usersetup/ui/SettingControls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "ui/ListAccessibility.h"
#include "usersetup/ui/UserSetupLabels.h"

namespace korva::usersetup::ui {

namespace {

/// Selects the whole text when the edit gets the focus, however it gets it.
class SelectAllOnFocus : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, watched, [watched] {
                if (auto* spin = qobject_cast<QAbstractSpinBox*>(watched)) spin->selectAll();
                if (auto* edit = qobject_cast<QLineEdit*>(watched)) edit->selectAll();
            });
        }
        return false;
    }
};

void Fill(QComboBox* list, const auto& texts) {
    for (const auto& text : texts)
        list->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

template <size_t N>
std::array<std::string, N> Texts(const std::array<const char*, N>& in) {
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i) out[i] = in[i];
    return out;
}

template <size_t N>
std::array<std::string, N> Numbers(const std::array<int, N>& in) {
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i) out[i] = std::to_string(in[i]);
    return out;
}

QLabel* Caption(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

}  // namespace

SettingControls::SettingControls(UserSettings& settings, const SetupLists& lists, QWidget* parent)
    : QObject(parent), m_Settings(settings), m_Parent(parent) {
    korva::ui::InstallListAccessibility();
    // Filling a list selects its first entry; that is no choice of the user's.
    m_Showing = true;
    UserSettings& s = m_Settings;
    paperWidth = MakeRadio(Label(kLabelPaperWidth), "80mm", "58mm", &s.paperWidth);
    columnList = MakeList(Label(kLabelPaperWidth), &s.column);
    Fill(columnList, Texts(kColumnTexts));
    paperWidth.box->layout()->addWidget(columnList);

    paperType = MakeRadio(Label(kLabelPaperType), "Black", "2Color", &s.paperType);
    densityList = MakeList(Label(kLabelPaperType), &s.density);
    Fill(densityList, Texts(kDensityTexts));
    paperType.box->layout()->addWidget(densityList);

    waterMark = MakeRadio(Label(kLabelWaterMark), "Disable", "Enable", &s.waterMark);
    imageNumber = MakeSpin(kMinImageNumber, kMaxImageNumber, &s.imageNumber);
    imageCaption = Caption("Image#", parent);
    waterMark.box->layout()->addWidget(imageCaption);
    waterMark.box->layout()->addWidget(imageNumber);

    cutAdjust = MakeRadio(Label(kLabelCutAdjust), "OFF", "ON", &s.cutAdjust);
    cutLines = MakeSpin(kMinCutLines, kMaxCutLines, &s.cutLines);
    linesCaption = Caption("Lines", parent);
    cutAdjust.box->layout()->addWidget(linesCaption);
    cutAdjust.box->layout()->addWidget(cutLines);

    drawerWithCut = MakeRadio(Label(kLabelDrawerWithCut), "Disable", "Enable", &s.drawerWithCut);

    bellBox = MakeBox(Label(kLabelBell));
    bellList = MakeList(Label(kLabelBell), &s.bellType);
    Fill(bellList, Texts(kBellTexts));
    timesList = MakeList(QStringLiteral("Times"), &s.bellTimes);
    Fill(timesList, Texts(kBellTimesTexts));
    timesCaption = Caption("Times", parent);
    timesCaption->setBuddy(timesList);
    for (QWidget* w : {static_cast<QWidget*>(bellList), static_cast<QWidget*>(timesList),
                       static_cast<QWidget*>(timesCaption)})
        bellBox->layout()->addWidget(w);
    connect(bellList, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_Showing) emit BellTypeChanged();
    });

    codePageBox = MakeBox(Label(kLabelCodePage));
    codePageList = MakeList(Label(kLabelCodePage), &s.codePage);
    for (const std::string& entry : lists.codePages)
        codePageList->addItem(QString::fromStdString(entry));
    codePageBox->layout()->addWidget(codePageList);

    nvGraphicBox = MakeBox(Label(kLabelNvGraphic));
    nvGraphicList = MakeList(Label(kLabelNvGraphic), &s.nvGraphic);
    Fill(nvGraphicList, Numbers(kNvGraphicKb));
    nvGraphicBox->layout()->addWidget(nvGraphicList);
    nvGraphicBox->layout()->addWidget(Caption("Kbyte", parent));
    connect(nvGraphicList, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_Showing) emit NvSizeChanged(true);
    });

    nvUserBox = MakeBox(Label(kLabelNvUser));
    nvUserList = MakeList(Label(kLabelNvUser), &s.nvUser);
    Fill(nvUserList, Numbers(kNvUserKb));
    nvUserBox->layout()->addWidget(nvUserList);
    nvUserBox->layout()->addWidget(Caption("Kbyte", parent));
    connect(nvUserList, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_Showing) emit NvSizeChanged(false);
    });

    cutMode = MakeRadio(Label(kLabelCutMode), "Partial", "Full Cut", &s.cutMode);

    speedBox = MakeBox(Label(kLabelSpeed));
    speedList = MakeList(Label(kLabelSpeed), &s.speed);
    Fill(speedList, Numbers(kSpeeds));
    speedBox->layout()->addWidget(speedList);
    speedBox->layout()->addWidget(Caption("mm/sec", parent));

    marginBox = MakeBox(Label(kLabelMargin));
    leftMargin = MakeSpin(kMinMargin, kMaxMargin, &s.leftMargin);
    leftMargin->setAccessibleName(Label(kLabelMargin).replace("&&", "&"));
    connect(leftMargin, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_Showing && value >= kMinMargin) m_Settings.unknown.erase(kLeftMargin);
    });
    marginBox->layout()->addWidget(leftMargin);
    marginBox->layout()->addWidget(Caption("dot (0 ~ 512)", parent));

    selfTestDrawer = MakeRadio(Label(kLabelSelfTestDrawer), "Enable", "Disable", &s.selfTestDrawer);
    reserved = MakeRadio(QStringLiteral("Reserved"), "OFF", "ON", &s.reserved);
    reserved.box->setEnabled(false);  // the printer's own switch: shown, never edited

    receiveBufferBox = MakeBox(Label(kLabelReceiveBuffer));
    receiveBufferList = MakeList(Label(kLabelReceiveBuffer), &s.receiveBuffer);
    for (const std::string& entry : lists.receiveBuffers)
        receiveBufferList->addItem(QString::fromStdString(entry));
    receiveBufferBox->layout()->addWidget(receiveBufferList);
    receiveBufferBox->layout()->addWidget(Caption("Kbyte", parent));

    stopBits = MakeRadio(Label(kLabelStopBits), "ONE", "TWO", &s.stopBits);

    setupCodeBox = MakeBox(Label(kLabelSetupCode));
    setupCode = new QLineEdit(parent);
    setupCode->setMaxLength(static_cast<int>(kMaxSetupCodeLength));
    setupCode->setAccessibleName(Label(kLabelSetupCode));
    setupCode->installEventFilter(new SelectAllOnFocus(setupCode));
    connect(setupCode, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_Showing) return;
        m_Settings.setupCode = text.toStdString();
        m_Settings.unknown.erase(kSetupCode);
    });
    setupCodeBox->layout()->addWidget(setupCode);
    leftMargin->installEventFilter(new SelectAllOnFocus(leftMargin));
    imageCaption->setBuddy(imageNumber);
    linesCaption->setBuddy(cutLines);
    m_Showing = false;
}

QGroupBox* SettingControls::MakeBox(const QString& title) {
    auto* box = new QGroupBox(title, m_Parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 2);
    return box;
}

RadioRow SettingControls::MakeRadio(const QString& title, const char* first, const char* second,
                                    int* field) {
    RadioRow row;
    row.box = MakeBox(title);
    row.group = new QButtonGroup(row.box);
    for (int i = 0; i < 2; ++i) {
        row.buttons[static_cast<size_t>(i)] =
            new QRadioButton(QString::fromUtf8(i == 0 ? first : second), row.box);
        row.group->addButton(row.buttons[static_cast<size_t>(i)], i);
        row.box->layout()->addWidget(row.buttons[static_cast<size_t>(i)]);
    }
    // The rows are members of this object: the reaction finds its own by the box.
    connect(row.group, &QButtonGroup::idClicked, this, [this, field, box = row.box](int id) {
        *field = id;
        for (RadioRow* r : {&paperWidth, &paperType, &waterMark, &cutAdjust, &drawerWithCut,
                            &cutMode, &selfTestDrawer, &reserved, &stopBits})
            if (r->box == box) emit RadioClicked(r, id);
    });
    return row;
}

QComboBox* SettingControls::MakeList(const QString& accessibleName, int* field) {
    auto* list = new QComboBox(m_Parent);
    list->setAccessibleName(QString(accessibleName).replace("&&", "&"));
    connect(list, &QComboBox::currentIndexChanged, this, [this, field](int index) {
        if (!m_Showing) *field = index;
    });
    return list;
}

QSpinBox* SettingControls::MakeSpin(int lo, int hi, int* field) {
    auto* spin = new QSpinBox(m_Parent);
    spin->setRange(lo, hi);
    connect(spin, &QSpinBox::valueChanged, this, [this, field](int value) {
        if (!m_Showing) *field = value;
    });
    return spin;
}

void SettingControls::AddTo(QGridLayout* layout) {
    const std::array<QWidget*, 8> left{paperWidth.box, paperType.box,     waterMark.box,
                                       cutAdjust.box,  drawerWithCut.box, bellBox,
                                       codePageBox,    nvGraphicBox};
    const std::array<QWidget*, 9> right{nvUserBox,        cutMode.box,        speedBox,
                                        marginBox,        selfTestDrawer.box, reserved.box,
                                        receiveBufferBox, stopBits.box,       setupCodeBox};
    const int top = layout->rowCount();
    for (size_t i = 0; i < left.size(); ++i)
        layout->addWidget(left[i], top + static_cast<int>(i), 0);
    for (size_t i = 0; i < right.size(); ++i)
        layout->addWidget(right[i], top + static_cast<int>(i), 1);
}

void SettingControls::ShowRadio(const RadioRow& row, int value) {
    if (value == 0 || value == 1) {
        row.buttons[static_cast<size_t>(value)]->setChecked(true);
        return;
    }
    row.group->setExclusive(false);  // an empty setting shows no choice
    for (QRadioButton* b : row.buttons) b->setChecked(false);
    row.group->setExclusive(true);
}

void SettingControls::ShowValues() {
    m_Showing = true;
    const UserSettings& s = m_Settings;
    ShowRadio(paperWidth, s.paperWidth);
    ShowRadio(paperType, s.paperType);
    ShowRadio(waterMark, s.waterMark);
    ShowRadio(cutAdjust, s.cutAdjust);
    ShowRadio(drawerWithCut, s.drawerWithCut);
    ShowRadio(cutMode, s.cutMode);
    ShowRadio(selfTestDrawer, s.selfTestDrawer);
    ShowRadio(reserved, s.reserved);
    ShowRadio(stopBits, s.stopBits);
    const std::array<std::pair<QComboBox*, int>, 9> lists{{{columnList, s.column},
                                                           {densityList, s.density},
                                                           {bellList, s.bellType},
                                                           {timesList, s.bellTimes},
                                                           {codePageList, s.codePage},
                                                           {nvGraphicList, s.nvGraphic},
                                                           {nvUserList, s.nvUser},
                                                           {speedList, s.speed},
                                                           {receiveBufferList, s.receiveBuffer}}};
    for (const auto& [list, value] : lists)
        list->setCurrentIndex(value >= 0 && value < list->count() ? value : -1);
    // A list without a choice shows what the printer answered outside it: its
    // own number, or "unknown"; one never answered shows nothing.
    const std::array<std::pair<QComboBox*, uint8_t>, 9> numbers{{{columnList, kPaperWidth},
                                                              {densityList, kDensity},
                                                              {bellList, kBell},
                                                              {timesList, kBell},
                                                              {codePageList, kCodePage},
                                                              {nvGraphicList, kNvGraphicMemory},
                                                              {nvUserList, kNvUserMemory},
                                                              {speedList, kSpeed},
                                                              {receiveBufferList, kReceiveBuffer}}};
    for (const auto& [list, number] : numbers) list->setPlaceholderText(AnswerText(number));
    // A radio row without a choice says so when its answer was no value.
    const std::array<std::pair<RadioRow*, uint8_t>, 9> rows{{{&paperWidth, kPaperWidth},
                                                           {&paperType, kPaperType},
                                                           {&waterMark, kWaterMark},
                                                           {&cutAdjust, kCutAdjust},
                                                           {&drawerWithCut, kDrawerWithCut},
                                                           {&cutMode, kCutMode},
                                                           {&selfTestDrawer, kSelfTestDrawer},
                                                           {&reserved, kReserved},
                                                           {&stopBits, kStopBits}}};
    for (const auto& [row, number] : rows) {
        const QString text = row->group->checkedId() < 0 ? AnswerText(number) : QString();
        row->box->setToolTip(text);
        row->box->setAccessibleDescription(text);
    }
    imageNumber->setValue(s.imageNumber);
    cutLines->setValue(s.cutLines);
    // An unknown margin shows as "unknown" until a value is entered.
    const bool marginUnknown = s.leftMargin < kMinMargin;
    leftMargin->setMinimum(marginUnknown ? kMinMargin - 1 : kMinMargin);
    leftMargin->setSpecialValueText(marginUnknown ? QString::fromUtf8(kUnknownLabel) : QString());
    leftMargin->setValue(s.leftMargin);
    setupCode->setText(QString::fromStdString(s.setupCode));
    setupCode->setPlaceholderText(AnswerText(kSetupCode));
    m_Showing = false;
    ApplyDependents();
}

QString SettingControls::AnswerText(uint8_t number) const {
    if (const auto v = m_Settings.verbatim.find(number); v != m_Settings.verbatim.end())
        return QString::number(v->second);
    return m_Settings.unknown.count(number) ? QString::fromUtf8(kUnknownLabel) : QString();
}

void SettingControls::RefreshTimesCaption() {
    timesCaption->setText(QString::fromUtf8(DependentControlsFor(m_Settings).timesCaption));
}

void SettingControls::ApplyDependents() {
    const DependentControls c = DependentControlsFor(m_Settings);
    if (!m_Enabled) return;
    columnList->setEnabled(c.columnList);
    densityList->setEnabled(c.densityList);
    imageNumber->setEnabled(c.imageEdit);
    cutLines->setEnabled(c.lineEdit);
}

void SettingControls::SetAllEnabled(bool enabled) {
    m_Enabled = enabled;
    for (QGroupBox* box :
         {paperWidth.box, paperType.box, waterMark.box, cutAdjust.box, drawerWithCut.box, bellBox,
          codePageBox, nvGraphicBox, nvUserBox, cutMode.box, speedBox, marginBox,
          selfTestDrawer.box, receiveBufferBox, stopBits.box, setupCodeBox})
        box->setEnabled(enabled);
    if (enabled) ApplyDependents();
}

void SettingControls::UseKoreanLabels() {
    const std::array<std::pair<QGroupBox*, LabelId>, 15> boxes{
        {{paperWidth.box, kLabelPaperWidth},
         {paperType.box, kLabelPaperType},
         {waterMark.box, kLabelWaterMark},
         {cutAdjust.box, kLabelCutAdjust},
         {drawerWithCut.box, kLabelDrawerWithCut},
         {bellBox, kLabelBell},
         {codePageBox, kLabelCodePage},
         {nvGraphicBox, kLabelNvGraphic},
         {nvUserBox, kLabelNvUser},
         {cutMode.box, kLabelCutMode},
         {speedBox, kLabelSpeed},
         {marginBox, kLabelMargin},
         {selfTestDrawer.box, kLabelSelfTestDrawer},
         {receiveBufferBox, kLabelReceiveBuffer},
         {stopBits.box, kLabelStopBits}}};
    for (const auto& [box, id] : boxes) box->setTitle(KoreanLabel(id));
    for (QComboBox* list : {columnList, densityList, bellList, codePageList, nvGraphicList,
                            nvUserList, speedList, receiveBufferList}) {
        for (const auto& [box, id] : boxes)
            if (list->parentWidget() == box || box->isAncestorOf(list))
                list->setAccessibleName(KoreanLabel(id));
    }
    leftMargin->setAccessibleName(KoreanLabel(kLabelMargin));
    paperType.buttons[0]->setText(QStringLiteral("검정"));
    paperType.buttons[1]->setText(QStringLiteral("2 색"));
    for (RadioRow* row : {&waterMark, &cutAdjust, &drawerWithCut}) {
        row->buttons[0]->setText(QStringLiteral("사용안함"));
        row->buttons[1]->setText(QStringLiteral("사용"));
    }
    // The self-test drawer row lists Enable first.
    selfTestDrawer.buttons[0]->setText(QStringLiteral("사용"));
    selfTestDrawer.buttons[1]->setText(QStringLiteral("사용안함"));
    cutMode.buttons[0]->setText(QStringLiteral("일부"));
    cutMode.buttons[1]->setText(QStringLiteral("전체"));
    imageCaption->setText(QStringLiteral("이미지#"));
    timesCaption->setText(QStringLiteral("회"));
    timesList->setAccessibleName(QStringLiteral("회"));
}

}  // namespace korva::usersetup::ui

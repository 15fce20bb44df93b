#include "logo/ui/Page1Selection.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/LogoList.h"
#include "logo/LogoListEditor.h"
#include "logo/ui/LogoListCtrl.h"

namespace korva::logo::ui {

CPage1Selection::CPage1Selection(LogoToolContext& context, QWidget* parent)
    : ListPage(context, LabelPage::Selection, true, parent),
      m_Editor(MakeListEditor(context, m_Notices)),
      m_Open(new QPushButton(this)),
      m_Remove(new QPushButton(this)),
      m_Reset(new QPushButton(this)) {
    SetLabel(m_Open, LabelPage::Selection, "&Open File...");
    SetLabel(m_Remove, LabelPage::Selection, "Re&move");
    SetLabel(m_Reset, LabelPage::Selection, "&Reset");

    // Not translated: the note keeps its English text on every system.
    auto* centre = new QGroupBox(QStringLiteral("Auto Center Align Check"), this);
    auto* note = new QLabel(QStringLiteral(" Check the item for automatic center align image."), centre);
    note->setWordWrap(true);
    (new QVBoxLayout(centre))->addWidget(note);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_Open);
    buttons->addWidget(m_Remove);
    buttons->addWidget(m_Reset);
    buttons->addStretch();
    auto* listAndButtons = new QHBoxLayout;
    listAndButtons->addWidget(m_List, 1);
    listAndButtons->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_ListLabel);
    layout->addLayout(listAndButtons, 1);
    layout->addWidget(centre);
    layout->addLayout(TextsLayout());

    setTabOrder(m_List, m_Open);
    setTabOrder(m_Open, m_Remove);
    setTabOrder(m_Remove, m_Reset);

    connect(m_Open, &QPushButton::clicked, this, &CPage1Selection::OnOpenFile);
    connect(m_Remove, &QPushButton::clicked, this, &CPage1Selection::OnRemove);
    connect(m_Reset, &QPushButton::clicked, this, &CPage1Selection::OnReset);
    connect(m_List, &QTreeWidget::itemSelectionChanged, this, &CPage1Selection::OnSelectionChanged);
    connect(m_List, &CLogoListCtrl::centreToggled, this, &CPage1Selection::OnCentreToggled);
}

CPage1Selection::~CPage1Selection() = default;

void CPage1Selection::OnSetActive() {
    FirstDisplay();
    Refill();
    ShowTexts();
    SelectRememberedRow();
    m_Ctx.pageMarker = kMarkerSelection;
}

bool CPage1Selection::OnKillActive() {
    // The centre flags are stored in their entries as they are ticked.
    m_Ctx.pageMarker = kMarkerSelection;
    return true;
}

void CPage1Selection::OnSelectionChanged() {
    m_SelectedRows = m_List->SelectedRows();
    if (QTreeWidgetItem* item = m_List->currentItem(); item && item->isSelected())
        m_Ctx.list.selectedRow = m_List->indexOfTopLevelItem(item);
}

void CPage1Selection::OnCentreToggled(int entry, bool checked) {
    auto& entries = m_Ctx.list.entries;
    if (entry >= 0 && static_cast<size_t>(entry) < entries.size())
        entries[static_cast<size_t>(entry)].centerAlign = checked;
    m_Ctx.list.RememberCentring();
}

void CPage1Selection::ShowListAgain() {
    Refill();
    ShowTexts();
    SelectRememberedRow();
}

void CPage1Selection::OnOpenFile() {
    const korva::ui::FileQuestion question{LogoFileFilters().join(QStringLiteral(";;")), m_Editor->currentPath(),
                                         true, QStringLiteral("bmp")};
    const std::vector<std::string> picked = m_Ctx.pickFiles ? m_Ctx.pickFiles(this, question)
                                                            : std::vector<std::string>();
    m_Editor->AddPickedFiles(picked);  // files added before a refused one stay listed
    m_Notices.Show();
    if (picked.empty()) return;
    ShowListAgain();
}

void CPage1Selection::OnRemove() {
    if (m_SelectedRows.empty()) {
        base::ShowMessage(base::Message(base::kMsgBmpNotSelected), base::MsgStyle::OkExclamation);
        return;
    }
    if (base::ShowMessageCaptioned("Remove selected file?", "Image downloader",
                                  base::MsgStyle::YesNoQuestion) != base::MsgAnswer::Yes) return;
    // Numbers first: the rows renumber as entries go.
    std::vector<int> numbers;
    for (auto row = m_SelectedRows.rbegin(); row != m_SelectedRows.rend(); ++row)
        numbers.push_back(m_List->LogoNumberAt(*row));
    for (int number : numbers) m_Editor->RemoveNumber(number);
    m_Ctx.list.RememberCentring();  // the ticks move up with their logos
    m_SelectedRows.clear();
    m_Ctx.list.selectedRow = -1;
    Refill();
    ShowTexts();
}

void CPage1Selection::OnReset() {
    if (base::ShowMessage(base::Message(base::kMsgResetContinue), base::MsgStyle::YesNoQuestion) !=
        base::MsgAnswer::Yes)
        return;
    m_List->clear();
    m_SelectedRows.clear();
    m_Ctx.list.selectedRow = -1;
    m_Editor->ReloadFromProfile(m_Ctx.profile);
    m_Notices.Show();
    Refill();
    ShowTexts();
}

}  // namespace korva::logo::ui

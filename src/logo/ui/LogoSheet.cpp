#include "logo/ui/LogoSheet.h"

#include <memory>

#include "logo/LogoList.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "logo/ui/HelpTopic.h"
#include "logo/ui/LogoToolContext.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Page1Selection.h"
#include "logo/ui/Page2Preview.h"
#include "logo/ui/Page3Upload.h"
#include "logo/ui/Page4Print.h"
#include "logo/ui/Page5Setup.h"

namespace korva::logo::ui {

namespace {
constexpr int kSetupPage = 4;
}

CMyProperty* BuildLogoSheet(LogoToolContext& context, QWidget* parent) {
    auto* sheet = new CMyProperty(parent);
    sheet->AddPage(new CPage1Selection(context));
    sheet->AddPage(new CPage2Preview(context));
    sheet->AddPage(new CPage3Upload(context));
    sheet->AddPage(new CPage4Print(context));
    sheet->AddPage(new CPage5Setup(context));
    sheet->SetStartPage(kSetupPage);
    QObject::connect(sheet, &CMyProperty::helpRequested, sheet,
                     [sheet](const QString& topic) { OpenHelpTopic(topic, sheet); });
    return sheet;
}

void RunLogoTool(LogoToolContext& context, QWidget* parent) {
    LogoNoticeBatch notices;
    MakeListEditor(context, notices)->LoadFromProfile(context.profile);
    notices.Show();
    {
        std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, parent));
        sheet->exec();
    }
    // The next opening shows the profile's list, not this one's edits.
    context.list.Clear();
    context.list.selectedRow = -1;
}

}  // namespace korva::logo::ui

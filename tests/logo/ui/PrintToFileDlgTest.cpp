#include "logo/ui/PrintToFileDlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>

#include "logo/ui/UiTestEnv.h"

using korva::logo::ui::AskOutputFileName;
using korva::logo::ui::PrintToFileDlg;

class PrintToFileDlgTest : public ::testing::Test {
protected:
    void SetUp() override { korva::test::TestApp(); }
    korva::test::MessageRecorder messages;
};

TEST_F(PrintToFileDlgTest, TypedNameIsReturned) {
    korva::test::WhenModal<PrintToFileDlg>([](PrintToFileDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Print to File");
        korva::test::KeyClicks(dialog->NameEdit(), "out.prn");
        dialog->OkButton()->click();
    });
    EXPECT_EQ(AskOutputFileName(), std::optional<std::string>("out.prn"));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PrintToFileDlgTest, EmptyNameIsRefusedAndTheDialogStays) {
    bool stayedOpen = false;
    korva::test::WhenModal<PrintToFileDlg>([&](PrintToFileDlg* dialog) {
        dialog->OkButton()->click();
        stayedOpen = dialog->isVisible();
        dialog->NameEdit()->setText("second.prn");
        korva::test::KeyClick(dialog->NameEdit(), Qt::Key_Return);  // Enter is OK
    });
    EXPECT_EQ(AskOutputFileName(), std::optional<std::string>("second.prn"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Input the output file name!"});
}

TEST_F(PrintToFileDlgTest, EscapeGivesNoName) {
    korva::test::WhenModal<PrintToFileDlg>([](PrintToFileDlg* dialog) {
        dialog->NameEdit()->setText("ignored.prn");
        korva::test::KeyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(AskOutputFileName(), std::nullopt);
}

TEST_F(PrintToFileDlgTest, NameFieldIsReachableByItsPrompt) {
    PrintToFileDlg dialog;
    QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(dialog.NameEdit());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(QAccessible::Name), "Input the output file name");
}

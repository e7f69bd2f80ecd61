#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "QtTestApplication.h"
#include "fakes/ScratchFolder.h"
#include "adapters/qt/QtFileDialogs.h"
#include "adapters/qt/QtMessageBoxes.h"

namespace quillora {
namespace {

// Acts on the next modal window of the given type once it is open.
template <typename Window>
void WhenOpen(std::function<void(Window&)> act) {
    QTimer::singleShot(0, [act] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (window == nullptr) {
            ADD_FAILURE() << "no modal window of the expected type";
            if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
            return;
        }
        act(*window);
    });
}

struct FilterCase {
    std::string filter;
    QStringList expected;
};

TEST(QtNameFilters, ConvertsEachNamePatternPair) {
    const FilterCase cases[] = {
        {"HTML Files (*.htm, *.html)|*.htm;*.html|Php Files (*.php)|*.php|All Files (*.*)|*.*||",
         {"HTML Files (*.htm, *.html) (*.htm *.html)", "Php Files (*.php) (*.php)", "All Files (*.*) (*)"}},
        {".html Files (*.html)|*.html||", {".html Files (*.html) (*.html)"}},
        {" Files (*)|*||", {" Files (*) (*)"}},
        {"Pages|*.htm; *.html;||", {"Pages (*.htm *.html)"}},
        {"", {}},
        {"||", {}},
        {"Lone name", {}},
    };
    for (const FilterCase& test : cases) {
        SCOPED_TRACE(test.filter);
        EXPECT_EQ(QtNameFilters(test.filter), test.expected);
    }
}

class QtDialogsTest : public ::testing::Test {
protected:
    testing::UsesQApplication application;
    QWidget owner;
    QtFileDialogs dialogs{&owner};
    testing::ScratchFolder folder;
};

TEST_F(QtDialogsTest, OpenDialogIsSetUpFromTheRequest) {
    FileDialogRequest request;
    request.title = "Select your template file";
    request.filter = "HTML Files (*.htm, *.html)|*.htm;*.html|Php Files (*.php)|*.php|All Files (*.*)|*.*||";
    request.initialFolder = folder.Path().string();
    request.fileMustExist = true;
    request.hideReadOnly = true;
    auto dialog = dialogs.Build(request, false);
    EXPECT_EQ(dialog->windowTitle(), "Select your template file");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->nameFilters().size(), 3);
    EXPECT_EQ(dialog->selectedNameFilter().toStdString(), "HTML Files (*.htm, *.html)") << "the first, shown by its name";
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder.Path().string());
    EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
    EXPECT_EQ(dialog->parentWidget(), &owner);
}

TEST_F(QtDialogsTest, SaveDialogIsSetUpFromTheRequest) {
    FileDialogRequest request;
    request.title = "Save";
    request.filter = ".html Files (*.html)|*.html||";
    request.initialFolder = folder.Path().string();
    request.initialFileName = "article0042.html";
    request.defaultExtension = ".html";
    request.overwritePrompt = true;
    auto dialog = dialogs.Build(request, true);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog->defaultSuffix(), "html");

    request.overwritePrompt = false;
    request.defaultExtension = "htm";
    auto quiet = dialogs.Build(request, true);
    EXPECT_TRUE(quiet->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(quiet->defaultSuffix(), "htm");
}

TEST_F(QtDialogsTest, OpenReturnsTheChosenFileOrACancel) {
    const std::string chosenPath = folder / "My Template.html";
    testing::ScratchFolder::Write(chosenPath, "<html></html>");
    FileDialogRequest request;
    request.filter = "HTML Files (*.htm, *.html)|*.htm;*.html||";
    request.initialFolder = folder.Path().string();
    request.fileMustExist = true;

    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(chosenPath));
        static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept checks the selection
    });
    std::string chosen;
    EXPECT_TRUE(dialogs.ShowOpen(request, chosen));
    EXPECT_EQ(chosen, chosenPath);

    WhenOpen<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    chosen = "unchanged";
    EXPECT_FALSE(dialogs.ShowOpen(request, chosen));
    EXPECT_EQ(chosen, "unchanged");
}

struct BoxCase {
    MessageRequest request;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton clicked;
    MessageAnswer answer;
};

TEST_F(QtDialogsTest, MessageBoxesShowTheAskedLookAndGiveTheAnswer) {
    QtMessageBoxes boxes(&owner);
    const BoxCase cases[] = {
        {{"Unable to read file: /x", "Quillora", MessageIcon::Error, MessageButtons::Ok, 0},
         QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {{"Done", "Acme", MessageIcon::Information, MessageButtons::Ok, 0},
         QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {{"Terms?", "Quillora", MessageIcon::Question, MessageButtons::YesNo, 1},
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Yes, MessageAnswer::Yes},
        {{"Terms?", "Quillora", MessageIcon::Question, MessageButtons::YesNo, 1},
         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No, MessageAnswer::No},
        {{"Please enter an integer.", "Quillora", MessageIcon::Warning, MessageButtons::Ok, 0},
         QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {{"<b>not bold</b>", "Quillora", MessageIcon::None, MessageButtons::OkCancel, 0},
         QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel, MessageAnswer::Cancel},
    };
    for (const BoxCase& test : cases) {
        SCOPED_TRACE(test.request.text);
        WhenOpen<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.text().toStdString(), test.request.text);
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.windowTitle().toStdString(), test.request.caption);
            EXPECT_EQ(box.icon(), test.icon);
            EXPECT_EQ(box.standardButtons(), test.buttons);
            EXPECT_EQ(box.defaultButton(), box.button(test.defaultButton));
            box.button(test.clicked)->click();
        });
        EXPECT_EQ(boxes.Show(test.request), test.answer);
    }
}

}  // namespace
}  // namespace quillora

// "Your first article" of the README, done in the window as it says, by a user without
// settings: the page ends in site/ and its link in the index page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "QtTestApplication.h"
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/qt/QtDialogHost.h"
#include "adapters/qt/QtFileDialogs.h"
#include "adapters/qt/QtMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FixedClock.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/ScratchFolder.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

// Acts as the user on each message box and file dialog the program opens: a message box gets
// Yes where it has one, else OK; a file dialog gets the next of the given answers.
class User {
public:
    User() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Act(); });
        timer_.start(50);
    }

    std::deque<std::function<void(QFileDialog&)>> fileDialogAnswers;
    std::vector<std::string> messages;

private:
    void Act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text().toStdString());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && dialog->isVisible()) {
            if (fileDialogAnswers.empty()) {
                ADD_FAILURE() << "an unexpected file dialog: " << dialog->windowTitle().toStdString();
                dialog->reject();
                return;
            }
            auto answer = std::move(fileDialogAnswers.front());
            fileDialogAnswers.pop_front();
            answer(*dialog);
        }
    }

    QTimer timer_;
};

// Puts a path into the file dialog's name field, as pasted, and clicks Open or Save.
void TypeAndAccept(QFileDialog& dialog, const std::string& path) {
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_TRUE(name != nullptr && buttons != nullptr);
    name->setText(QString::fromStdString(path));
    QPushButton* accept = buttons->button(dialog.acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open);
    ASSERT_NE(accept, nullptr);
    accept->click();
}

TEST(ReadmeWindow, YourFirstArticle) {
    testing::UsesQApplication application;
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    testing::ScratchFolder home;
    const fs::path lanternStreet = home.Path() / "lantern-street";
    fs::copy(QUILLORA_EXAMPLES_DIR, lanternStreet, fs::copy_options::recursive);
    // Started from the menu: in the home folder.
    const fs::path formerFolder = fs::current_path();
    fs::current_path(home.Path());

    QtDialogHost host(MainWindowTemplate());
    PosixFileSystem files;
    HiveRegistry registry(files, (home.Path() / ".config/quillora").string());
    testing::FixedClock clock{2026, 12, 11, 5};
    QtMessageBoxes boxes(&host.Dialog());
    QtFileDialogs dialogs(&host.Dialog());
    testing::FakeShell shell;
    testing::FixedTempFolder tempFolder{home.Path().string() + "/"};
    ArticleApp app(Platform{files, registry, clock, boxes, dialogs, host, shell, tempFolder});

    User user;
    std::string saveDialogFolder, proposedName;
    // 2. Select: choose ~/lantern-street/template.html.
    user.fileDialogAnswers.push_back([&](QFileDialog& d) { TypeAndAccept(d, (lanternStreet / "template.html").string()); });
    // 5. The save dialog: note where it opened and what it proposes; save into site/.
    user.fileDialogAnswers.push_back([&](QFileDialog& d) {
        saveDialogFolder = d.directory().absolutePath().toStdString();
        proposedName = d.findChild<QLineEdit*>("fileNameEdit")->text().toStdString();
        TypeAndAccept(d, (lanternStreet / "site" / proposedName).string());
    });

    std::string templateField, numberField;
    // Once the window is open, after the terms of use.
    QTimer windowOpen;
    QObject::connect(&windowOpen, &QTimer::timeout, [&] {
        if (!host.Dialog().isVisible() || QApplication::activeModalWidget() != &host.Dialog()) return;
        windowOpen.stop();
        // 1. The terms of use were answered with Yes; the window is open.
        QTest::mouseClick(host.Control(ControlId::kSelectButton), Qt::LeftButton);
        templateField = host.Text(ControlId::kTemplateName);
        // 3. The number is 1; a title; the text of first-issue.txt, copied and pasted.
        numberField = host.Text(ControlId::kArticleNumber);
        host.Control(ControlId::kArticleTitle)->setFocus();
        QTest::keyClicks(host.Control(ControlId::kArticleTitle), "Doors open on Saturdays");
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(testing::ScratchFolder::Read((lanternStreet / "first-issue.txt").string())));
        QTest::mouseClick(host.Control(ControlId::kPasteButton), Qt::LeftButton);
        // 4. The check box stays ticked; Create.
        QTest::mouseClick(host.Control(ControlId::kCreateButton), Qt::LeftButton);
        host.EndDialog(DialogResult::Cancel);
    });
    windowOpen.start(50);
    EXPECT_EQ(app.StartUp(), 0);
    fs::current_path(formerFolder);

    EXPECT_EQ(templateField, "template.html");
    EXPECT_EQ(numberField, "1");
    EXPECT_EQ(saveDialogFolder, home.Path().string()) << "the folder the program was started from";
    EXPECT_EQ(proposedName, "article0001.html");
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_NE(user.messages[0].find("Do you accept these terms of use ?"), std::string::npos);
    EXPECT_EQ(user.messages[1], "File \"article0001.html\" has been created");
    // 6. The page in site/, its link in the index page.
    const std::string page = testing::ScratchFolder::Read((lanternStreet / "site/article0001.html").string());
    EXPECT_NE(page.find("<h1>Doors open on Saturdays</h1>"), std::string::npos);
    EXPECT_NE(page.find("Bring a lamp"), std::string::npos);
    const std::string index = testing::ScratchFolder::Read((lanternStreet / "site/index.html").string());
    EXPECT_NE(index.find("<a href=\"article0001.html\">1. Doors open on Saturdays</a>"), std::string::npos);
    EXPECT_EQ(QDir(QString::fromStdString(home.Path().string())).entryList(QDir::Files).size(), 0) << "nothing beside";
}

}  // namespace
}  // namespace quillora

#include "adapters/qt/QtDialogHost.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <string>
#include <vector>

#include "QtTestApplication.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/FixedClock.h"
#include "fakes/MemoryRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#include "resources/Resources.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

// Records the commands; ends the dialog on OK and Cancel only when told to.
class RecordingHandler : public DialogHandler {
public:
    explicit RecordingHandler(QtDialogHost& host) : host_(host) {}
    bool InitialiseWindow() override { return true; }
    void OnCommand(int id) override {
        commands.push_back(id);
        if (endOnClose && (id == kIdOk || id == kIdCancel)) host_.EndDialog(id == kIdOk ? DialogResult::Ok : DialogResult::Cancel);
    }
    std::vector<int> commands;
    bool endOnClose = false;

private:
    QtDialogHost& host_;
};

class QtDialogHostTest : public ::testing::Test {
protected:
    // Shows the dialog and waits until it has the keyboard.
    void Open() {
        ASSERT_TRUE(host.Open(handler));
        host.Dialog().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host.Dialog()));
    }
    int FocusedId() {
        QWidget* focused = QApplication::focusWidget();
        return focused == nullptr ? 0 : focused->property("controlId").toInt();
    }
    void Key(int id, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        host.Control(id)->setFocus();
        QTest::keyClick(host.Control(id), key, modifiers);
    }
    std::vector<QWidget*> Controls() {
        std::vector<QWidget*> controls;
        for (QWidget* child : host.Dialog().findChildren<QWidget*>()) {
            if (child->property("controlId").isValid()) controls.push_back(child);
        }
        return controls;
    }

    testing::UsesQApplication application;
    QtDialogHost host{MainWindowTemplate()};
    RecordingHandler handler{host};
};

TEST_F(QtDialogHostTest, EveryTemplateControlExistsWithItsIdAndPlace) {
    const WindowTemplate& window = MainWindowTemplate();
    EXPECT_EQ(Controls().size(), window.controls.size());
    const DialogUnits& units = host.Units();
    EXPECT_GE(units.X(4), 5);
    EXPECT_LE(units.X(4), 9);
    EXPECT_GE(units.Y(8), 11);
    EXPECT_LE(units.Y(8), 17);
    for (const ControlTemplate& control : window.controls) {
        if (control.id == ControlId::kUnaddressed) continue;
        SCOPED_TRACE(control.id);
        QWidget* widget = host.Control(control.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), units.Rect(control.x, control.y, control.width, control.height));
        EXPECT_EQ(widget->focusPolicy() == Qt::StrongFocus, control.Has(Style::kTabStop));
    }
    EXPECT_EQ(host.Dialog().size(), QSize(units.X(282), units.Y(308)));
    EXPECT_EQ(host.Dialog().minimumSize(), host.Dialog().maximumSize()) << "fixed size";
    EXPECT_EQ(host.Dialog().windowTitle(), "Quillora");

    std::vector<std::string> labels;
    for (QLabel* label : host.Dialog().findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) labels.push_back(label->text().toStdString());
    }
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"Article Number", "Article Text", "Article Title",
                                                "Please read the help before using this software     ........................",
                                                "Template File"}));
    EXPECT_TRUE(host.Dialog().findChildren<QGroupBox*>().empty()) << "the frame is drawn by the host";
}

TEST_F(QtDialogHostTest, FieldsHaveTheirKinds) {
    auto* number = qobject_cast<QLineEdit*>(host.Control(ControlId::kArticleNumber));
    auto* title = qobject_cast<QLineEdit*>(host.Control(ControlId::kArticleTitle));
    auto* templateName = qobject_cast<QLineEdit*>(host.Control(ControlId::kTemplateName));
    auto* text = qobject_cast<QPlainTextEdit*>(host.Control(ControlId::kArticleText));
    auto* box = qobject_cast<QCheckBox*>(host.Control(ControlId::kUpdateIndex));
    ASSERT_TRUE(number && title && templateName && text && box);
    EXPECT_TRUE(templateName->isReadOnly());
    EXPECT_FALSE(number->isReadOnly());
    EXPECT_FALSE(title->isReadOnly());
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(box->text(), "Automatically update article index");
    for (int id : {ControlId::kHelpButton, ControlId::kSelectButton, ControlId::kCreateButton, ControlId::kPasteButton}) {
        auto* button = qobject_cast<QPushButton*>(host.Control(id));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->text().isEmpty()) << "a face button never shows its template text";
    }

    Open();
    number->setFocus();
    QTest::keyClicks(number, "12a-3 4");
    EXPECT_EQ(number->text(), "1234") << "only digits from the keyboard";
    QApplication::clipboard()->setText("x5");
    number->selectAll();
    number->paste();
    EXPECT_EQ(number->text(), "x5") << "pasting is not filtered";
}

TEST_F(QtDialogHostTest, WindowAndEveryControlAreWhite) {
    EXPECT_TRUE(host.Dialog().autoFillBackground());
    EXPECT_EQ(host.Dialog().palette().color(QPalette::Window), QColor(Qt::white));
    for (QWidget* control : Controls()) {
        EXPECT_EQ(control->palette().color(QPalette::Window), QColor(Qt::white)) << control->objectName().toStdString();
        EXPECT_EQ(control->palette().color(QPalette::Base), QColor(Qt::white)) << control->objectName().toStdString();
    }
}

TEST_F(QtDialogHostTest, TextsTravelAsLocalBytesWithCrLfLines) {
    host.SetText(ControlId::kArticleText, "Caf\xC3\xA9 one\r\ntwo\r\n\r\nfour");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(host.Control(ControlId::kArticleText))->toPlainText(),
              QString::fromUtf8("Caf\xC3\xA9 one\ntwo\n\nfour"));
    EXPECT_EQ(host.Text(ControlId::kArticleText), "Caf\xC3\xA9 one\r\ntwo\r\n\r\nfour");
    host.SetText(ControlId::kArticleTitle, "\xE2\x82\xAC 5");
    EXPECT_EQ(host.Text(ControlId::kArticleTitle), "\xE2\x82\xAC 5");
    host.SetCaption("Acme \xC3\x84rticles");
    EXPECT_EQ(host.Dialog().windowTitle(), QString::fromUtf8("Acme \xC3\x84rticles"));
}

TEST_F(QtDialogHostTest, ArticleTextKeepsEveryCharacterItHolds) {
    // No-break spaces, line and paragraph separators are text of their own, not blanks or line ends.
    const std::string text = "Mr.\xC2\xA0Smith\r\nsoft\xE2\x80\xA8" "break\r\n\xC2\xA0\xC2\xA0indented";
    host.SetText(ControlId::kArticleText, text);
    EXPECT_EQ(host.Text(ControlId::kArticleText), text);

    QApplication::clipboard()->setText(QString::fromUtf8("pasted\xC2\xA0text\nline"));
    host.SelectAllText(ControlId::kArticleText);
    host.Paste(ControlId::kArticleText);
    EXPECT_EQ(host.Text(ControlId::kArticleText), "pasted\xC2\xA0text\r\nline");
}

TEST_F(QtDialogHostTest, CheckStatesIncludingIndeterminate) {
    for (int state : {1, 0, 2}) {
        host.SetCheckState(ControlId::kUpdateIndex, state);
        EXPECT_EQ(host.CheckState(ControlId::kUpdateIndex), state);
    }
    Open();
    QTest::mouseClick(host.Control(ControlId::kUpdateIndex), Qt::LeftButton);
    EXPECT_EQ(host.CheckState(ControlId::kUpdateIndex), 1) << "a click on the indeterminate box checks it";
    QTest::mouseClick(host.Control(ControlId::kUpdateIndex), Qt::LeftButton);
    EXPECT_EQ(host.CheckState(ControlId::kUpdateIndex), 0);
    QTest::mouseClick(host.Control(ControlId::kUpdateIndex), Qt::LeftButton);
    EXPECT_EQ(host.CheckState(ControlId::kUpdateIndex), 1);
}

TEST_F(QtDialogHostTest, PasteReplacesTheSelectionOnlyWhenTheClipboardHoldsText) {
    host.SetText(ControlId::kArticleText, "old\r\ntext");
    QApplication::clipboard()->clear();
    host.SelectAllText(ControlId::kArticleText);
    host.Paste(ControlId::kArticleText);
    auto* text = qobject_cast<QPlainTextEdit*>(host.Control(ControlId::kArticleText));
    EXPECT_EQ(host.Text(ControlId::kArticleText), "old\r\ntext");
    EXPECT_EQ(text->textCursor().selectedText().size(), 8) << "still wholly selected";

    QApplication::clipboard()->setText("new\nlines");
    host.SelectAllText(ControlId::kArticleText);
    host.Paste(ControlId::kArticleText);
    EXPECT_EQ(host.Text(ControlId::kArticleText), "new\r\nlines");
}

TEST_F(QtDialogHostTest, FacesAndIcons) {
    host.SetButtonFace(ControlId::kHelpButton, resources::Bitmap(160));
    auto* help = qobject_cast<QPushButton*>(host.Control(ControlId::kHelpButton));
    EXPECT_FALSE(help->icon().isNull());
    EXPECT_EQ(help->iconSize(), QSize(58, 16));

    host.SetButtonFace(ControlId::kPasteButton, "not a picture");
    auto* paste = qobject_cast<QPushButton*>(host.Control(ControlId::kPasteButton));
    EXPECT_TRUE(paste->icon().isNull());
    EXPECT_TRUE(paste->text().isEmpty()) << "blank";

    host.SetIcons(resources::Icon());
    QList<QSize> sizes = host.Dialog().windowIcon().availableSizes();
    for (int side : {16, 24, 32, 48}) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;

    auto* banner = qobject_cast<QLabel*>(host.Control(ControlId::kBanner));
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->pixmap().size(), QSize(400, 200));
    EXPECT_EQ(banner->alignment(), Qt::AlignCenter);
}

// --- Keyboard and mouse ---

TEST_F(QtDialogHostTest, FocusStartsOnHelpAndTabFollowsTheTemplateOrder) {
    Open();
    std::vector<int> order{FocusedId()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(FocusedId());
    }
    EXPECT_EQ(order, (std::vector<int>{ControlId::kHelpButton, ControlId::kSelectButton, ControlId::kArticleNumber,
                                       ControlId::kArticleTitle, ControlId::kArticleText, ControlId::kPasteButton,
                                       ControlId::kUpdateIndex, ControlId::kCreateButton, ControlId::kTemplateName,
                                       ControlId::kHelpButton}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(FocusedId(), ControlId::kTemplateName);
}

TEST_F(QtDialogHostTest, EnterClicksAFocusedButtonAndSendsOkFromTheSingleLineFields) {
    Open();
    for (int button : {ControlId::kHelpButton, ControlId::kSelectButton, ControlId::kPasteButton, ControlId::kCreateButton}) {
        handler.commands.clear();
        Key(button, Qt::Key_Return);
        EXPECT_EQ(handler.commands, std::vector<int>{button});
    }
    for (int field : {ControlId::kArticleNumber, ControlId::kArticleTitle, ControlId::kTemplateName, ControlId::kUpdateIndex}) {
        handler.commands.clear();
        Key(field, Qt::Key_Return);
        EXPECT_EQ(handler.commands, std::vector<int>{kIdOk}) << field;
        handler.commands.clear();
        Key(field, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(handler.commands, std::vector<int>{kIdOk}) << field;
    }
}

TEST_F(QtDialogHostTest, EnterInTheArticleTextStartsANewLine) {
    Open();
    host.Control(ControlId::kArticleText)->setFocus();
    QTest::keyClicks(host.Control(ControlId::kArticleText), "ab");
    QTest::keyClick(host.Control(ControlId::kArticleText), Qt::Key_Return);
    QTest::keyClicks(host.Control(ControlId::kArticleText), "cd");
    EXPECT_TRUE(handler.commands.empty());
    EXPECT_EQ(host.Text(ControlId::kArticleText), "ab\r\ncd");
}

TEST_F(QtDialogHostTest, EscAndTheCloseBoxSendCancelAndF1DoesNothing) {
    Open();
    Key(ControlId::kArticleTitle, Qt::Key_F1);
    Key(ControlId::kHelpButton, Qt::Key_F1);
    EXPECT_TRUE(handler.commands.empty());

    Key(ControlId::kArticleTitle, Qt::Key_Escape);
    Key(ControlId::kArticleText, Qt::Key_Escape);
    EXPECT_EQ(handler.commands, (std::vector<int>{kIdCancel, kIdCancel}));
    EXPECT_TRUE(host.Dialog().isVisible()) << "the command decides whether the window closes";

    handler.commands.clear();
    host.Dialog().close();
    EXPECT_EQ(handler.commands, std::vector<int>{kIdCancel});
    EXPECT_TRUE(host.Dialog().isVisible());

    handler.endOnClose = true;
    host.Dialog().close();
    EXPECT_FALSE(host.Dialog().isVisible());
}

TEST_F(QtDialogHostTest, ClicksReachTheirHandlers) {
    Open();
    QTest::mouseClick(host.Control(ControlId::kSelectButton), Qt::LeftButton);
    QTest::mouseClick(host.Control(ControlId::kBanner), Qt::LeftButton);
    QTest::mouseClick(host.Control(ControlId::kUpdateIndex), Qt::LeftButton);
    EXPECT_EQ(handler.commands, (std::vector<int>{ControlId::kSelectButton, ControlId::kBanner}));
}

TEST_F(QtDialogHostTest, ClicksThroughTheWindowReachTheControlUnderThePointer) {
    Open();
    for (const ControlTemplate& control : MainWindowTemplate().controls) {
        if (control.id == ControlId::kUnaddressed) continue;
        SCOPED_TRACE(control.id);
        QWidget* widget = host.Control(control.id);
        QWidget* found = host.Dialog().childAt(widget->geometry().center());
        EXPECT_TRUE(found == widget || widget->isAncestorOf(found)) << "nothing lies over the control";
    }
    // As the window system delivers them: to whatever widget lies at the place.
    QWindow* window = host.Dialog().windowHandle();
    ASSERT_NE(window, nullptr);
    for (int id : {ControlId::kHelpButton, ControlId::kCreateButton, ControlId::kBanner}) {
        handler.commands.clear();
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, host.Control(id)->geometry().center());
        EXPECT_EQ(handler.commands, std::vector<int>{id});
    }
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, host.Control(ControlId::kArticleTitle)->geometry().center());
    EXPECT_EQ(FocusedId(), ControlId::kArticleTitle) << "a click puts the caret in the field";
}

TEST_F(QtDialogHostTest, ADoubleClickOnTheBannerIsOneClick) {
    Open();
    QTest::mouseDClick(host.Dialog().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       host.Control(ControlId::kBanner)->geometry().center());
    EXPECT_EQ(handler.commands, std::vector<int>{ControlId::kBanner}) << "its second click is a double click, not a click";
}

TEST_F(QtDialogHostTest, RunModalReturnsTheResultTheCommandEndedWith) {
    handler.endOnClose = true;
    QTimer::singleShot(0, [&] { Key(ControlId::kArticleTitle, Qt::Key_Return); });
    EXPECT_EQ(host.RunModal(handler), DialogResult::Ok);
    EXPECT_FALSE(host.Dialog().isVisible());
}

// Counts the times a widget is shown.
class ShowCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        return false;
    }
    int shows = 0;
};

// --- The whole window on the Qt host ---

class QtWindowTest : public QtDialogHostTest {
protected:
    QtWindowTest() { registry.Put("Software\\Tessaline\\Quillora\\LU", "Terms", RegistryType::Dword, std::string("\1\0\0\0", 4)); }

    PosixFileSystem files;
    testing::MemoryRegistry registry;
    testing::FixedClock clock{2024, 5, 6, 1};
    testing::FakeMessageBoxes boxes;
    testing::FakeFileDialogs dialogs;
    testing::FakeShell shell;
    testing::FixedTempFolder tempFolder{"/nonexistent-temporary-folder/"};
    ArticleApp app{Platform{files, registry, clock, boxes, dialogs, host, shell, tempFolder}};
};

TEST_F(QtWindowTest, TheProgramRunsOnTheQtHost) {
    QApplication::clipboard()->setText("Pasted article\nsecond line");
    std::string textAfterPaste;
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(host.Control(ControlId::kPasteButton), Qt::LeftButton);
        textAfterPaste = host.Text(ControlId::kArticleText);
        host.Control(ControlId::kArticleTitle)->setFocus();
        QTest::keyClick(host.Control(ControlId::kArticleTitle), Qt::Key_Escape);
    });
    EXPECT_EQ(app.StartUp(), 0);
    EXPECT_EQ(textAfterPaste, "Pasted article\r\nsecond line");
    EXPECT_EQ(host.Text(ControlId::kArticleNumber), "1");
    EXPECT_EQ(host.CheckState(ControlId::kUpdateIndex), 1);
    EXPECT_FALSE(qobject_cast<QPushButton*>(host.Control(ControlId::kCreateButton))->icon().isNull());
    EXPECT_FALSE(host.Dialog().windowIcon().isNull());
}

TEST_F(QtWindowTest, DecliningTheTermsNeverShowsTheWindow) {
    registry = testing::MemoryRegistry();
    boxes.answers = {MessageAnswer::No};
    ShowCounter counter;
    host.Dialog().installEventFilter(&counter);
    EXPECT_EQ(app.StartUp(), 1);
    EXPECT_EQ(counter.shows, 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(QtWindowTest, ScreenshotOfTheWindow) {
    // The window as the README shows it: the example site's first issue.
    registry.Put("Software\\Tessaline\\Quillora\\LU", "Template", RegistryType::Sz, std::string("/home/ann/site/template.html\0", 29));
    QImage shot;
    QTimer::singleShot(0, [&] {
        host.SetText(ControlId::kArticleTitle, "Doors open on Saturdays");
        host.SetText(ControlId::kArticleText,
                     "The workshop on Lantern Street opens its doors every Saturday this winter.\r\n\r\nBring a lamp "
                     "that needs mending, and we will show you how to rewire it.\r\nThe list of tools to bring: "
                     "http://lantern-street.example/tools");
        QTest::qWait(50);
        shot = host.Dialog().grab().toImage();
        host.EndDialog(DialogResult::Cancel);
    });
    app.StartUp();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), host.Dialog().size() * shot.devicePixelRatio());
    const QString path = QDir(QUILLORA_SCREENSHOT_DIR).filePath("main-window.png");
    ASSERT_TRUE(shot.save(path));
    std::printf("screenshot: %s\n", path.toLocal8Bit().constData());
    // The banner's picture is drawn in the middle of its area.
    QRect banner = host.Control(ControlId::kBanner)->geometry();
    EXPECT_NE(shot.pixelColor(banner.center()), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(2, host.Dialog().height() - 3), QColor(Qt::white));
}

}  // namespace
}  // namespace quillora

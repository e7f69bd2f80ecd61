// The window on a real X server, where the clipboard, painting and the browser are the
// desktop's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "QtTestApplication.h"
#include "StandInOpener.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/qt/QtDialogHost.h"
#include "adapters/qt/QtMessageBoxes.h"
#include "adapters/qt/QtShell.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FixedClock.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#include "resources/Resources.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

// Lets the window system deliver and draw what is pending.
void Settle() { QTest::qWait(150); }

// A widget's pixels as the X server holds them.
QImage OnScreen(QWidget& widget) {
    QWidget* window = widget.window();
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    return window->screen()->grabWindow(window->winId(), at.x(), at.y(), widget.width(), widget.height()).toImage();
}

// Answers every message box the program shows with its first button, noting the box's text.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box->buttons().isEmpty()) return;
            texts.push_back(box->text().toStdString());
            box->buttons().front()->click();
        });
        timer_.start(20);
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

class X11WindowTest : public ::testing::Test {
protected:
    X11WindowTest() { registry.Put("Software\\Tessaline\\Quillora\\LU", "Terms", RegistryType::Dword, testing::Dword(1)); }

    void SetUp() override { ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "these tests need an X server"; }

    // Runs the program's window; the script runs once the window is on the screen and has the
    // keyboard, then the window closes.
    void Run(const std::function<void()>& script) {
        QTimer::singleShot(0, [&] {
            host.Dialog().activateWindow();
            if (QTest::qWaitForWindowActive(&host.Dialog())) {
                Settle();
                script();
            } else {
                ADD_FAILURE() << "the window never got the keyboard";
            }
            host.EndDialog(DialogResult::Cancel);
        });
        EXPECT_EQ(app.StartUp(), 0);
    }

    QWidget& Control(int id) { return *host.Control(id); }

    testing::UsesQApplication application;
    QtDialogHost host{MainWindowTemplate()};
    PosixFileSystem files;
    testing::MemoryRegistry registry;
    testing::FixedClock clock{2024, 5, 6, 1};
    QtMessageBoxes boxes{&host.Dialog()};
    testing::FakeFileDialogs dialogs;
    QtShell shell;
    testing::ScratchFolder temporary;
    testing::FixedTempFolder tempFolder{temporary.Path().string() + "/"};
    ArticleApp app{Platform{files, registry, clock, boxes, dialogs, host, shell, tempFolder}};
};

// --- The clipboard without an owner ---

struct PasteCase {
    const char* name;
    int field;                                 // the field whose text must stay
    std::function<void(QtDialogHost&)> paste;
    bool wholeTextSelected;
};

TEST_F(X11WindowTest, PastingFromAClipboardWithoutOwnerChangesNothing) {
    const PasteCase cases[] = {
        {"the Paste button", ControlId::kArticleText,
         [](QtDialogHost& h) { QTest::mouseClick(h.Control(ControlId::kPasteButton), Qt::LeftButton); }, true},
        {"Ctrl+V in the article text", ControlId::kArticleText,
         [](QtDialogHost& h) {
             h.Control(ControlId::kArticleText)->setFocus();
             QTest::keyClick(h.Control(ControlId::kArticleText), Qt::Key_V, Qt::ControlModifier);
         },
         false},
        {"a middle click in the article text", ControlId::kArticleText,
         [](QtDialogHost& h) {
             auto& text = static_cast<QPlainTextEdit&>(*h.Control(ControlId::kArticleText));
             QTest::mouseClick(text.viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
         },
         false},
        {"Ctrl+V in the title", ControlId::kArticleTitle,
         [](QtDialogHost& h) {
             h.Control(ControlId::kArticleTitle)->setFocus();
             QTest::keyClick(h.Control(ControlId::kArticleTitle), Qt::Key_V, Qt::ControlModifier);
         },
         false},
    };
    Run([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        ASSERT_FALSE(clipboard->ownsClipboard());
        ASSERT_NE(clipboard->mimeData(), nullptr);
        ASSERT_TRUE(clipboard->mimeData()->formats().isEmpty()) << "some program owns the clipboard";
        for (const PasteCase& c : cases) {
            SCOPED_TRACE(c.name);
            host.SetText(ControlId::kArticleText, "Typed work\r\nsecond line");
            host.SetText(ControlId::kArticleTitle, "A title");
            const std::string before = host.Text(c.field);
            c.paste(host);
            Settle();
            EXPECT_EQ(host.Text(c.field), before);
            if (c.wholeTextSelected) {
                auto& text = static_cast<QPlainTextEdit&>(Control(ControlId::kArticleText));
                EXPECT_EQ(text.textCursor().selectedText(), QString("Typed work") + QChar::ParagraphSeparator + "second line");
            }
        }
    });
}

TEST_F(X11WindowTest, PastingTextThatAnotherWindowCopiedReplacesTheWholeText) {
    Run([&] {
        QGuiApplication::clipboard()->setText("From the clipboard\nline two");
        Settle();
        host.SetText(ControlId::kArticleText, "Typed work");
        QTest::mouseClick(&Control(ControlId::kPasteButton), Qt::LeftButton);
        EXPECT_EQ(host.Text(ControlId::kArticleText), "From the clipboard\r\nline two");
    });
}

// --- How the window is drawn ---

// A face button as drawn around its face: the face's own pixels are blanked out, what stays is
// the button's outline and bevel, which show whether it is drawn as the default button.
QImage AroundTheFace(QPushButton& button) {
    QImage image = OnScreen(button);
    QRect face(QPoint(0, 0), button.iconSize());
    face.moveCenter(image.rect().center());
    QPainter painter(&image);
    painter.fillRect(face.adjusted(-1, -1, 1, 1), Qt::black);
    return image;
}

// While the keyboard is in a field, Help looks like Create, which never had it: neither is drawn
// as the default button, whichever buttons had the keyboard before.
TEST_F(X11WindowTest, NoButtonIsDrawnAsTheDefaultOne) {
    struct FocusCase {
        const char* name;
        std::vector<int> focusPath;  // Help has the keyboard when the window opens
    };
    const FocusCase cases[] = {
        {"Help when shown, then the number", {ControlId::kArticleNumber}},
        {"Help, then the title", {ControlId::kHelpButton, ControlId::kArticleTitle}},
        {"Help, then the template field", {ControlId::kHelpButton, ControlId::kTemplateName}},
        {"Help, then the check box", {ControlId::kHelpButton, ControlId::kUpdateIndex}},
        {"Select, then Help, then the text", {ControlId::kSelectButton, ControlId::kHelpButton, ControlId::kArticleText}},
    };
    auto& help = static_cast<QPushButton&>(Control(ControlId::kHelpButton));
    auto& create = static_cast<QPushButton&>(Control(ControlId::kCreateButton));
    Run([&] {
        ASSERT_EQ(QApplication::focusWidget(), &help);
        ASSERT_EQ(help.size(), create.size());
        for (const FocusCase& c : cases) {
            SCOPED_TRACE(c.name);
            for (int id : c.focusPath) {
                Control(id).setFocus(Qt::TabFocusReason);
                Settle();
            }
            for (int id : {ControlId::kHelpButton, ControlId::kSelectButton, ControlId::kPasteButton, ControlId::kCreateButton}) {
                EXPECT_FALSE(static_cast<QPushButton&>(Control(id)).isDefault()) << id;
            }
            EXPECT_TRUE(AroundTheFace(help) == AroundTheFace(create)) << "Help is drawn unlike Create";
        }
        // Enter still clicks the button that has the keyboard.
        MessageBoxAnswerer answerer;
        testing::StandInOpener opener("exit 0");
        help.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&help, Qt::Key_Return);
        EXPECT_EQ(opener.Opened(), tempFolder.folder + "temp_vodadir_help.html\n");
    });
}

TEST_F(X11WindowTest, TheWorkingAreaIsWhiteInsideItsFrame) {
    Run([&] {
        const QImage window = OnScreen(host.Dialog());
        const DialogUnits& units = host.Units();
        const ControlTemplate* frame = nullptr;
        for (const ControlTemplate& control : MainWindowTemplate().controls) {
            if (control.IsButtonType(Style::kGroupBox)) frame = &control;
        }
        ASSERT_NE(frame, nullptr);
        const QRect inside = units.Rect(frame->x, frame->y, frame->width, frame->height).adjusted(2, 10, -2, -2);
        // The margins between the frame and the controls: left of the labels, right of the
        // fields, below the last row and above the first.
        const QRect margins[] = {
            QRect(QPoint(inside.left(), inside.top()), QPoint(units.X(15) - 2, inside.bottom())),
            QRect(QPoint(units.X(269) + 2, inside.top()), QPoint(inside.right(), inside.bottom())),
            QRect(QPoint(inside.left(), units.Y(284) + 2), QPoint(inside.right(), inside.bottom())),
            QRect(QPoint(inside.left(), inside.top()), QPoint(inside.right(), units.Y(148) - 2)),
        };
        for (const QRect& margin : margins) {
            ASSERT_FALSE(margin.isEmpty());
            for (int y = margin.top(); y <= margin.bottom(); ++y) {
                for (int x = margin.left(); x <= margin.right(); ++x) {
                    ASSERT_EQ(window.pixelColor(x, y), QColor(255, 255, 255)) << "at " << x << "," << y;
                }
            }
        }
        // The frame itself is drawn.
        const QRect outline = units.Rect(frame->x, frame->y, frame->width, frame->height);
        EXPECT_NE(window.pixelColor(outline.left(), outline.center().y()), QColor(255, 255, 255));
    });
}

// --- A browser that cannot open the page ---

struct BrowserCase {
    const char* name;
    int control;
    const char* opener;  // what the stand-in xdg-open does
    std::vector<std::string> messages;
};

TEST_F(X11WindowTest, ABrowserThatFailsIsReportedAsARefusal) {
    const std::string helpMessage = "Unable to show help through your Internet browser";
    const std::string bannerMessage =
        "Unable to activate your Internet browser\n\nPlease activate your browser and enter the address:\n\n"
        "http://www.corvalis.example/";
    const BrowserCase cases[] = {
        {"Help, no program for the page", ControlId::kHelpButton, "exit 3", {helpMessage}},
        {"Help, the browser failed", ControlId::kHelpButton, "exit 4", {helpMessage}},
        {"Help, opened", ControlId::kHelpButton, "exit 0", {}},
        {"banner, no program for the page", ControlId::kBanner, "exit 3", {bannerMessage}},
        {"banner, the browser failed", ControlId::kBanner, "exit 4", {bannerMessage}},
        {"banner, opened", ControlId::kBanner, "exit 0", {}},
    };
    Run([&] {
        for (const BrowserCase& c : cases) {
            SCOPED_TRACE(c.name);
            testing::StandInOpener opener(c.opener);
            MessageBoxAnswerer answerer;
            QTest::mouseClick(&Control(c.control), Qt::LeftButton, Qt::NoModifier, Control(c.control).rect().center());
            Settle();
            EXPECT_EQ(answerer.texts, c.messages);
            EXPECT_EQ(opener.Opened(), tempFolder.folder + "temp_vodadir_help.html\n");
        }
    });
}

}  // namespace
}  // namespace quillora

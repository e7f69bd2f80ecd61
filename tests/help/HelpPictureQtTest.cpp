#include "branding/HelpPage.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/ScratchFolder.h"
#include "adapters/posix/PosixFileSystem.h"

namespace quillora {
namespace {

// The picture that the Help command writes, read back by Qt's own GIF reader.
TEST(HelpPictureQt, TheWrittenPictureDecodesAsOneImageOf406By249) {
    int argc = 1;
    char name[] = "help_qt_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    testing::ScratchFolder scratch;
    testing::FixedTempFolder temporary(scratch.Path().string() + "/");
    PosixFileSystem fileSystem;
    testing::FakeMessageBoxes boxes;
    testing::FakeShell shell;
    TextBuffer caption("Quillora");
    Messages messages(boxes, caption);
    FileIo files(fileSystem, messages);
    BrowserLauncher launcher(files, shell, temporary);
    HelpPage help(files, messages, launcher);
    TextBuffer pagePath;
    TextBuffer picturePath;
    ASSERT_TRUE(help.Show("Quillora", "Corvalis", "http://www.corvalis.example/", pagePath, picturePath));

    QImageReader reader(QString::fromStdString(std::string(picturePath.Bytes())));
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_EQ(reader.imageCount(), 1);
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.width(), 406);
    EXPECT_EQ(image.height(), 249);
}

}  // namespace
}  // namespace quillora

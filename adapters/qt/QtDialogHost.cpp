#include "adapters/qt/QtDialogHost.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "adapters/qt/LocalText.h"
#include "resources/Resources.h"

namespace quillora {
namespace {

QByteArray Bytes(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The multi-line field keeps its lines apart with "\n"; the window logic uses "\r\n".
QString ToFieldLines(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
QString FromFieldLines(QString text) { return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")); }

// The field's text as it holds it. toPlainText() would turn no-break spaces into blanks and line
// separators into line ends; only the paragraph separators between its lines become "\n" here.
QString FieldText(const QPlainTextEdit& edit) {
    return edit.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// An edit field that takes only digits from the keyboard; pasted text is not filtered.
class DigitsOnlyLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QString typed = event->text();
        bool printable = !typed.isEmpty() && typed.at(0).isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (printable && !std::all_of(typed.begin(), typed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            QApplication::beep();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

// A check box that the program may set to the indeterminate state; a click then checks it.
class AutoCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        bool wasChecked = checkState() == Qt::Checked;
        setTristate(false);
        setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
    }
};

// A picture that reports a click.
class ClickablePicture : public QLabel {
public:
    ClickablePicture(QWidget* parent, std::function<void()> onClick) : QLabel(parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) pressed_ = true;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        pressed_ = false;
        event->accept();
        if (click) onClick_();
    }
    // The second press of a double click arrives as a press and then this; it is no click of its own.
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        pressed_ = false;
        event->accept();
    }

private:
    std::function<void()> onClick_;
    bool pressed_ = false;
};

QPixmap PictureOf(std::string_view bitmapFile) {
    QPixmap picture;
    if (!bitmapFile.empty()) picture.loadFromData(Bytes(bitmapFile), "BMP");
    return picture;
}

// The multi-line field. Qt 6.4's own insertion reads the first of the source's formats without
// asking whether there is one, and the X11 clipboard offers none while no program owns it: Paste,
// Ctrl+V, the context menu's Paste and a middle click all ended there in a crash. A source without
// formats holds no text, so nothing changes and the selection stays.
class MultiLineEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (source == nullptr || source->formats().isEmpty()) return;
        QPlainTextEdit::insertFromMimeData(source);
    }
};

// A frame around a group of controls: a thin line, with the caption (if any) over its top edge.
// Its inside stays the window's white, where the desktop's group box would tint it.
class GroupFrame : public QWidget {
public:
    GroupFrame(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, top, -1, -1));
        if (caption_.isEmpty()) return;
        const int indent = metrics.averageCharWidth();
        QRect place(indent, 0, metrics.horizontalAdvance(caption_) + indent, metrics.height());
        painter.fillRect(place, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(place, Qt::AlignCenter, caption_);
    }

private:
    QString caption_;
};

// One maker per kind of control: each builds the widget of a template control on the dialog,
// not yet placed. onClick reports a click on a push button or a picture.
using ClickReport = std::function<void()>;

QWidget* MakeMultiLineEdit(const ControlTemplate& control, QWidget& dialog) {
    auto* edit = new MultiLineEdit(&dialog);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setTabChangesFocus(true);
    edit->setVerticalScrollBarPolicy(control.Has(Style::kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setPlainText(FromLocal(control.text));
    return edit;
}

QWidget* MakeLineEdit(const ControlTemplate& control, QWidget& dialog) {
    QLineEdit* edit = control.Has(Style::kNumber) ? new DigitsOnlyLineEdit(&dialog) : new QLineEdit(&dialog);
    edit->setReadOnly(control.Has(Style::kReadOnly));
    edit->setFrame(control.Has(Style::kBorder));
    edit->setText(FromLocal(control.text));
    return edit;
}

QWidget* MakeCheckBox(const ControlTemplate& control, QWidget& dialog) {
    return new AutoCheckBox(FromLocal(control.text), &dialog);
}

// Only a frame: it lies beneath the controls it surrounds and lets their clicks through.
QWidget* MakeGroupFrame(const ControlTemplate& control, QWidget& dialog) {
    auto* frame = new GroupFrame(FromLocal(control.text), &dialog);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->lower();
    return frame;
}

// A button with a face shows only its picture, or nothing while it has none. No push button is
// ever the dialog's default: Enter clicks the one that has the focus, and only that one.
QWidget* MakePushButton(const ControlTemplate& control, QWidget& dialog, const ClickReport& onClick) {
    auto* button = new QPushButton(control.Has(Style::kButtonBitmap) ? QString() : FromLocal(control.text), &dialog);
    button->setAccessibleName(FromLocal(control.text));
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, &dialog, onClick);
    return button;
}

QWidget* MakePicture(const ControlTemplate& control, QWidget& dialog, const ClickReport& onClick) {
    QLabel* picture = control.Has(Style::kStaticNotify) ? new ClickablePicture(&dialog, onClick) : new QLabel(&dialog);
    picture->setPixmap(PictureOf(resources::Bitmap(control.imageId)));
    if (control.Has(Style::kCenterImage)) picture->setAlignment(Qt::AlignCenter);
    return picture;
}

QWidget* MakeLabel(const ControlTemplate& control, QWidget& dialog) {
    auto* label = new QLabel(&dialog);
    label->setTextFormat(Qt::PlainText);
    label->setText(FromLocal(control.text));
    return label;
}

QWidget* MakeControl(const ControlTemplate& control, QWidget& dialog, const ClickReport& onClick) {
    switch (control.controlClass) {
    case ControlClass::Edit:
        return control.Has(Style::kMultiLine) ? MakeMultiLineEdit(control, dialog) : MakeLineEdit(control, dialog);
    case ControlClass::Button:
        if (control.IsButtonType(Style::kAutoCheckBox)) return MakeCheckBox(control, dialog);
        if (control.IsButtonType(Style::kGroupBox)) return MakeGroupFrame(control, dialog);
        return MakePushButton(control, dialog, onClick);
    case ControlClass::Static: break;
    }
    return control.imageId != 0 ? MakePicture(control, dialog, onClick) : MakeLabel(control, dialog);
}

}  // namespace

// The dialog window itself: it turns the keyboard and the close box into commands.
class HostDialog : public QDialog {
public:
    std::function<void(int)> command;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & ~Qt::KeypadModifier) break;
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                command(kIdOk);
            }
            event->accept();
            return;
        case Qt::Key_Escape:
            if (event->modifiers() != Qt::NoModifier) break;
            command(kIdCancel);
            event->accept();
            return;
        case Qt::Key_F1:
            event->accept();
            return;
        default: break;
        }
        QDialog::keyPressEvent(event);
    }
    // Esc through QDialog, and the close box and Alt+F4 through closeEvent, arrive here. The
    // dialog closes only when the Cancel command ends it.
    void reject() override { command(kIdCancel); }
};

// The average character width as the dialog manager measures it: the mean advance of the 52
// Latin letters, rounded. With it the template's texts fit their controls in any font.
DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = metrics.height();
}

namespace {

// The desktop's own sans serif face stands in for the template's font, at the template's size.
QFont DialogFont(const WindowTemplate& window) {
    QFont font = QApplication::font();
    font.setPointSize(window.fontPoints);
    return font;
}

}  // namespace

QtDialogHost::QtDialogHost(const WindowTemplate& window)
    : dialog_(std::make_unique<HostDialog>()), units_(DialogFont(window)) {
    dialog_->setFont(DialogFont(window));
    Build(window);
}

QtDialogHost::~QtDialogHost() = default;

void QtDialogHost::Build(const WindowTemplate& window) {
    HostDialog& dialog = *dialog_;
    dialog.command = [this](int id) {
        if (handler_ != nullptr) handler_->OnCommand(id);
    };
    dialog.setWindowTitle(FromLocal(window.caption));
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(units_.X(window.width), units_.Y(window.height));
    dialog.setSizeGripEnabled(false);

    QPalette white = dialog.palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) white.setColor(role, Qt::white);
    dialog.setPalette(white);
    dialog.setAutoFillBackground(true);

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : window.controls) {
        const int id = control.id;
        QWidget* widget = MakeControl(control, dialog, [this, id] { dialog_->command(id); });
        widget->setGeometry(units_.Rect(control.x, control.y, control.width, control.height));
        widget->setProperty("controlId", id);
        widget->setObjectName(QStringLiteral("control%1").arg(id));
        if (control.Has(Style::kTabStop)) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            } else {
                firstTabStop_ = widget;
            }
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        if (id != ControlId::kUnaddressed) controls_[id] = widget;
    }
}

bool QtDialogHost::Open(DialogHandler& handler) {
    handler_ = &handler;
    ended_ = false;
    result_ = DialogResult::Cancel;
    bool focusFirst = handler.InitialiseWindow();
    if (ended_) return false;
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->show();
    if (focusFirst && firstTabStop_ != nullptr) firstTabStop_->setFocus(Qt::TabFocusReason);
    return true;
}

DialogResult QtDialogHost::RunModal(DialogHandler& handler) {
    if (!Open(handler)) return result_;
    QEventLoop loop;
    QObject::connect(dialog_.get(), &QDialog::finished, &loop, &QEventLoop::quit);
    if (!ended_) loop.exec(QEventLoop::DialogExec);
    handler_ = nullptr;
    return result_;
}

void QtDialogHost::EndDialog(DialogResult result) {
    ended_ = true;
    result_ = result;
    dialog_->done(result == DialogResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

std::string QtDialogHost::Text(int id) {
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return ToLocal(edit->text());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return ToLocal(FromFieldLines(FieldText(*edit)));
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return ToLocal(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) return ToLocal(label->text());
    return std::string();
}

void QtDialogHost::SetText(int id, const std::string& text) {
    QWidget* widget = Control(id);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(FromLocal(text));
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
        lines->setPlainText(ToFieldLines(FromLocal(text)));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(FromLocal(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(FromLocal(text));
    }
}

int QtDialogHost::CheckState(int id) {
    auto* box = qobject_cast<QCheckBox*>(Control(id));
    if (box == nullptr) return 0;
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void QtDialogHost::SetCheckState(int id, int state) {
    auto* box = qobject_cast<QCheckBox*>(Control(id));
    if (box == nullptr) return;
    if (state == 2) {
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setTristate(false);
        box->setCheckState(state == 1 ? Qt::Checked : Qt::Unchecked);
    }
}

void QtDialogHost::SetCaption(const std::string& caption) { dialog_->setWindowTitle(FromLocal(caption)); }

void QtDialogHost::SetIcons(std::string_view iconFile) {
    QByteArray bytes = Bytes(iconFile);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ICO");
    QIcon icon;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    dialog_->setWindowIcon(icon);
}

void QtDialogHost::SetButtonFace(int id, std::string_view bitmapFile) {
    auto* button = qobject_cast<QPushButton*>(Control(id));
    if (button == nullptr) return;
    QPixmap face = PictureOf(bitmapFile);
    button->setText(QString());
    button->setIcon(face.isNull() ? QIcon() : QIcon(face));
    if (!face.isNull()) button->setIconSize(face.size());
}

void QtDialogHost::SetFocus(int id) {
    if (QWidget* widget = Control(id)) widget->setFocus(Qt::OtherFocusReason);
}

void QtDialogHost::SelectAllText(int id) {
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) edit->selectAll();
}

void QtDialogHost::ScrollCaretIntoView(int id) {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(Control(id))) edit->ensureCursorVisible();
}

void QtDialogHost::Paste(int id) {
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->paste();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) edit->paste();
}

QDialog& QtDialogHost::Dialog() { return *dialog_; }

QWidget* QtDialogHost::Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

}  // namespace quillora

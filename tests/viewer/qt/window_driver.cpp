// The Qt window under the window behaviours: mouse and keys through QtTest, what is seen read
// from the widgets, the painted colours from a grab of the window.
#include "tests/viewer/window_driver.h"

#include "viewer/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QtTest>

#include <string>

namespace {

QString FromUtf16(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

}  // namespace

const WindowDifferences ThisWindow{.fieldsSpeakTheirOwnNames = true};

struct WindowDriver::Window {
    std::vector<std::u16string> reports;
    std::vector<std::u16string> chooserStarts;
    QString chosenFile;
    frmMain window{[this](QWidget*, const QString& title, const QString& text) {
                       reports.push_back((title + QLatin1Char('|') + text).toStdU16String());
                   },
                   [this](QWidget*, const QString& current) {
                       chooserStarts.push_back(current.toStdU16String());
                       return chosenFile;
                   }};

    template <typename T = QWidget>
    T* control(std::string_view name) {
        if (name == "frmMain") return qobject_cast<T*>(&window);
        if (name == "browse") return qobject_cast<T*>(browseButton());
        T* found = window.findChild<T*>(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (!found) ADD_FAILURE() << "no control " << name;
        return found;
    }
    QListView* list() { return control<QListView>("lstID"); }
    QLineEdit* field(std::string_view name) { return control<QLineEdit>(name); }
    QAction* browseAction() {
        return field("txtHuesPath")->findChild<QAction*>(QStringLiteral("actBrowse"));
    }
    QToolButton* browseButton() {
        const auto buttons = field("txtHuesPath")->findChildren<QToolButton*>();
        EXPECT_EQ(buttons.size(), 1);
        return buttons.isEmpty() ? nullptr : buttons.first();
    }
};

WindowDriver::WindowDriver() : window_(std::make_unique<Window>()) {
    window_->window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_->window));
}

WindowDriver::~WindowDriver() = default;

// The offscreen platform has one screen at 96 DPI.
std::vector<int> WindowDriver::Dpis() {
    return {96};
}

void WindowDriver::layOutAt(int dpi) {
    EXPECT_EQ(dpi, 96);
}

void WindowDriver::pressGetIt() {
    QTest::mouseClick(window_->control<QPushButton>("cmdGetIt"), Qt::LeftButton);
}

void WindowDriver::select(int row) {
    QListView* list = window_->list();
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

void WindowDriver::press(std::string_view control, Key key) {
    QWidget* widget = window_->control(control);
    // Qt's buttons take Space; Enter only presses a dialog's default.
    const Qt::Key qtKey = key == Key::Down          ? Qt::Key_Down
                          : key == Key::End         ? Qt::Key_End
                          : key == Key::PressButton ? Qt::Key_Space
                                                    : Qt::Key_A;
    if (key == Key::PressButton) widget->setFocus();
    QTest::keyClick(widget, qtKey, key == Key::SelectAll ? Qt::ControlModifier : Qt::NoModifier);
}

void WindowDriver::type(std::string_view control, const std::u16string& text) {
    window_->field(control)->setText(FromUtf16(text));
}

void WindowDriver::browse(const std::u16string& answer) {
    window_->chosenFile = FromUtf16(answer);
    window_->browseAction()->trigger();
}

void WindowDriver::drop(const std::filesystem::path& file, std::string_view onto) {
    QWidget* widget = window_->control(onto);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdU16String(file.u16string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(enter.isAccepted()) << onto;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &drop);
}

std::vector<std::u16string> WindowDriver::rightClickSwatch(int index, int choose) {
    QWidget* swatch = window_->control(SwatchControl(index));
    const QPoint at(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, swatch->mapToGlobal(at));
    QApplication::sendEvent(swatch, &event);
    const auto menus = window_->window.findChildren<QMenu*>(QStringLiteral("swatchMenu"));
    std::vector<std::u16string> texts;
    if (menus.isEmpty()) return texts;
    QMenu* menu = menus.last();
    for (const QAction* action : menu->actions()) texts.push_back(action->text().toStdU16String());
    if (choose >= 0) menu->actions().at(choose)->trigger();
    menu->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return texts;
}

void WindowDriver::startWith(const std::vector<std::u16string>& arguments) {
    window_->window.StartWith(arguments);
}

void WindowDriver::readHue(std::int32_t position) {
    window_->window.ReadHue(position);
}

std::u16string WindowDriver::title() {
    return window_->window.windowTitle().toStdU16String();
}

std::u16string WindowDriver::text(std::string_view control) {
    return window_->field(control)->text().toStdU16String();
}

std::u16string WindowDriver::selectedText(std::string_view control) {
    return window_->field(control)->selectedText().toStdU16String();
}

int WindowDriver::itemCount() {
    return window_->list()->model()->rowCount();
}

std::u16string WindowDriver::itemText(int row) {
    return window_->list()->model()->index(row, 0).data().toString().toStdU16String();
}

int WindowDriver::selectedRow() {
    const auto selected = window_->list()->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::uint32_t WindowDriver::paintedColor(int swatch) {
    const QImage shown = window_->window.grab().toImage();
    const QPoint centre = window_->control(SwatchControl(swatch))->geometry().center();
    return shown.pixelColor(centre).rgb() & 0xFFFFFFU;
}

std::u16string WindowDriver::tooltip(std::string_view control) {
    if (control == "browse") return window_->browseAction()->toolTip().toStdU16String();
    return window_->control(control)->toolTip().toStdU16String();
}

// What the accessibility bridge reads.
std::u16string WindowDriver::spokenName(std::string_view control) {
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(window_->control(control));
    return spoken ? spoken->text(QAccessible::Name).toStdU16String() : std::u16string();
}

std::string WindowDriver::nextInTabOrder(std::string_view control) {
    QWidget* focus = window_->control(control);
    do focus = focus->nextInFocusChain();
    while (focus->focusPolicy() == Qt::NoFocus || focus->objectName().isEmpty());
    return focus->objectName().toStdString();
}

viewer::Rect WindowDriver::clientArea() {
    return {0, 0, window_->window.width(), window_->window.height()};
}

viewer::Rect WindowDriver::placeOf(std::string_view control) {
    const QRect place = window_->control(control)->geometry();
    return {place.x(), place.y(), place.width(), place.height()};
}

bool WindowDriver::readsWhole(std::string_view control) {
    QWidget* widget = window_->control(control);
    const QFontMetricsF metrics(widget->font(), widget);
    QRect room = widget->contentsRect();
    QString text;
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        QStyleOptionFrame option;
        option.initFrom(field);
        option.lineWidth =
            field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
        room = field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
        return metrics.height() <= room.height();
    }
    if (auto* list = qobject_cast<QListView*>(widget)) {
        return metrics.height() <= list->viewport()->height();
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        text = button->text();
    } else {
        text = qobject_cast<QLabel*>(widget)->text();
    }
    const std::u16string_view whole = viewer::Control(control).text;
    return text.toStdU16String() == whole && metrics.horizontalAdvance(text) <= room.width() &&
           metrics.height() <= room.height();
}

bool WindowDriver::browseHasIcon() {
    return !window_->browseAction()->icon().isNull();
}

std::u16string WindowDriver::clipboardText() {
    return QGuiApplication::clipboard()->text().toStdU16String();
}

const std::vector<std::u16string>& WindowDriver::reports() {
    return window_->reports;
}

const std::vector<std::u16string>& WindowDriver::chooserStarts() {
    return window_->chooserStarts;
}

int main(int argc, char** argv) {
    // Headless unless told otherwise, so that listing the tests needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

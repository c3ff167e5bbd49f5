#include "viewer/qt/main_window.h"

#include "huedata/hue_file.h"
#include "tests/support/numbered_hues.h"
#include "tools/hue_image.h"
#include "viewer/form_layout.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using huedata::HueRecord;

QString NameOf(int id) {
    return QStringLiteral("Hue %1").arg(id);
}

std::vector<char> FileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The masks of the inotify events waiting on `fd`.
std::vector<std::uint32_t> TakeEvents(int fd) {
    std::vector<std::uint32_t> masks;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            masks.push_back(event->mask);
            at += sizeof(inotify_event) + event->len;
        }
    }
    return masks;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QStringList reports_;        // title and text of each report
    QStringList chooserStarts_;  // the path the file chooser was opened with, each time
    QString chosenFile_;         // what the file chooser answers
    std::unique_ptr<frmMain> window_;

    template <typename T>
    T* control(const QString& name) {
        T* found = window_->findChild<T*>(name);
        if (!found) qFatal("no control %s", qPrintable(name));
        return found;
    }
    QListView* list() { return control<QListView>(QStringLiteral("lstID")); }
    QLineEdit* field(const char* name) { return control<QLineEdit>(QString::fromLatin1(name)); }
    QLabel* swatch(int i) { return control<QLabel>(QStringLiteral("picHue(%1)").arg(i)); }
    QString shownName() { return field("txtName")->text(); }

    QString writeHueFile(const QString& name, const std::vector<HueRecord>& hues) {
        QString path = dir_.filePath(name);
        huetools::WriteBytes(path.toStdString(), huetools::HueFileImage(hues, 0xA5A5A5A5));
        return path;
    }
    void usePath(const QString& path) { field("txtHuesPath")->setText(path); }
    void pressGetIt() {
        QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdGetIt")), Qt::LeftButton);
    }
    void clickItem(int row) {
        const QModelIndex index = list()->model()->index(row, 0);
        list()->scrollTo(index);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(index).center());
    }
    // Everything a failed read must leave as it was.
    QStringList screen() {
        QStringList shown = {shownName(), field("txtStart")->text(), field("txtEnd")->text(),
                             field("txtHuesPath")->text(),
                             QString::number(list()->model()->rowCount())};
        for (int i = 0; i < frmMain::SwatchCount; ++i) {
            shown << swatch(i)->palette().color(QPalette::Window).name() << swatch(i)->toolTip();
        }
        return shown;
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        reports_.clear();
        chooserStarts_.clear();
        window_ = std::make_unique<frmMain>(
            [this](QWidget*, const QString& title, const QString& text) {
                reports_ << title + QLatin1Char('|') + text;
            },
            [this](QWidget*, const QString& current) {
                chooserStarts_ << current;
                return chosenFile_;
            });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void startState() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Hues Read by Brannick"));
        QCOMPARE(window_->size(), QSize(425, 211));
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(field("txtHuesPath")->text(),
                 QStringLiteral(R"(c:\program files\ardenmoor\hues.mul)"));
        QCOMPARE(shownName() + field("txtStart")->text() + field("txtEnd")->text(), QString());
        QVERIFY(swatch(5)->toolTip().isEmpty());

        // One unbroken strip: each swatch overlaps its neighbour by a pixel.
        QCOMPARE(swatch(0)->geometry(), QRect(128, 8, 9, 81));
        for (int i = 1; i < frmMain::SwatchCount; ++i) {
            QCOMPARE(swatch(i)->geometry(), swatch(i - 1)->geometry().translated(8, 0));
        }

        // Every control has a name a screen reader speaks, the browse button inside the path
        // field too (what the accessibility bridge reads).
        const auto buttons = field("txtHuesPath")->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 1);
        QList<QWidget*> controls{buttons.first()};
        for (const viewer::FormControl& entry : viewer::MainFormControls) {
            if (entry.kind != viewer::ControlKind::Swatch) {
                controls << control<QWidget>(QString::fromLatin1(entry.name));
            }
        }
        for (int i = 0; i < frmMain::SwatchCount; ++i) controls << swatch(i);
        for (QWidget* widget : controls) {
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(spoken && !spoken->text(QAccessible::Name).isEmpty(),
                     qPrintable(widget->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(controls.first())->text(QAccessible::Name),
                 QString::fromUtf8("Choose the hue file…"));

        QWidget* focus = field("txtName");
        for (const char* next : {"cmdGetIt", "lstID", "txtHuesPath", "txtStart", "txtEnd"}) {
            do focus = focus->nextInFocusChain();
            while (focus->focusPolicy() == Qt::NoFocus || focus->objectName().isEmpty());
            QCOMPARE(focus->objectName(), QString::fromLatin1(next));
        }
    }

    void getItFillsTheListAndReadsNothing() {
        usePath(writeHueFile(QStringLiteral("hues.mul"), NumberedHues(16)));
        pressGetIt();
        clickItem(3);
        usePath(dir_.filePath(QStringLiteral("absent.mul")));
        for (int press = 0; press < 2; ++press) {
            pressGetIt();
            const auto* model = qobject_cast<QStringListModel*>(list()->model());
            QCOMPARE(model->stringList().size(), 2999);
            QCOMPARE(model->stringList().first(), QStringLiteral("0"));
            QCOMPARE(model->stringList().last(), QStringLiteral("2998"));
            QVERIFY(!list()->selectionModel()->hasSelection());
        }
        QVERIFY(reports_.isEmpty());
        QCOMPARE(shownName(), NameOf(3));
    }

    void mouseAndKeyboardSelectionsReadTheirEntries() {
        usePath(writeHueFile(QStringLiteral("hues.mul"), NumberedHues(3000)));
        pressGetIt();
        clickItem(0);
        QCOMPARE(shownName(), NameOf(0));
        clickItem(8);
        QCOMPARE(shownName(), NameOf(8));
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(shownName(), NameOf(9));
        QTest::keyClick(list(), Qt::Key_End);
        QCOMPARE(shownName(), NameOf(2998));
        QVERIFY(reports_.isEmpty());
    }

    void everySelectionReadsAfreshFromTheCurrentPath() {
        auto hues = NumberedHues(16);
        usePath(writeHueFile(QStringLiteral("hues.mul"), hues));
        pressGetIt();
        clickItem(5);
        hues[5].Name = huetools::NameBytes("Repainted");
        writeHueFile(QStringLiteral("hues.mul"), hues);
        clickItem(5);  // already selected: a click reads it again
        QCOMPARE(shownName(), QStringLiteral("Repainted"));

        hues[7].Name = huetools::NameBytes("From the other file");
        usePath(writeHueFile(QStringLiteral("other.mul"), hues));
        clickItem(7);
        QCOMPARE(shownName(), QStringLiteral("From the other file"));
    }

    void showsNameAndTableTextsInTheirOwnFields() {
        // The texts themselves are unit-tested; here each must reach its own field.
        auto hues = NumberedHues(9);
        hues[8].Name = huetools::NameBytes("Cr\xE8me \x80 Gold");
        hues[8].TableStart = 0x1F;
        hues[8].TableEnd = -1;
        usePath(writeHueFile(QStringLiteral("texts.mul"), hues));
        window_->ReadHue(huedata::HuePosition(8));
        QCOMPARE(shownName(), QString::fromUtf8("Crème € Gold"));
        QCOMPARE(field("txtStart")->text(), QStringLiteral("1F"));
        QCOMPARE(field("txtEnd")->text(), QStringLiteral("FFFF"));
    }

    void showsAndDescribesTheColoursOfAHue() {
        HueRecord hue = NumberedHue(0);
        hue.Colors[0] = 0x0000;
        hue.Colors[5] = 0x7C00;
        hue.Colors[6] = static_cast<std::int16_t>(0x83E0);  // bit 15 set: still pure green
        hue.Colors[31] = 0x7FFF;
        usePath(writeHueFile(QStringLiteral("colours.mul"), {hue}));
        pressGetIt();
        clickItem(0);
        const QImage shown = window_->grab().toImage();
        const auto shownAt = [&](int i) {
            return shown.pixelColor(swatch(i)->geometry().center());
        };
        QCOMPARE(shownAt(0), QColor(Qt::black));
        QCOMPARE(shownAt(5), QColor(255, 0, 0));
        QCOMPARE(shownAt(6), QColor(0, 255, 0));
        QCOMPARE(shownAt(31), QColor(Qt::white));

        QCOMPARE(swatch(6)->toolTip(), QString::fromUtf8("Colour 6: 0x83E0 → #00FF00"));
        QCOMPARE(swatch(5)->accessibleName(), QStringLiteral("Colour 5, #FF0000"));
        QCOMPARE(list()->accessibleName(), QStringLiteral("Hue identifiers"));
        const QStringList spoken = {"Hue file path", "Hue name", "Table start", "Table end"};
        const char* const fields[] = {"txtHuesPath", "txtName", "txtStart", "txtEnd"};
        for (int i = 0; i < spoken.size(); ++i)
            QCOMPARE(field(fields[i])->accessibleName(), spoken[i]);
    }

    // The menu a right-click on swatch `i` opens, or null when it opens none.
    QMenu* rightClickSwatch(int i) {
        const QPoint at(2, 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, swatch(i)->mapToGlobal(at));
        QApplication::sendEvent(swatch(i), &event);
        const auto menus = window_->findChildren<QMenu*>(QStringLiteral("swatchMenu"));
        return menus.isEmpty() ? nullptr : menus.last();
    }

    void aSwatchMenuCopiesTheColourOnceAHueIsShown() {
        QVERIFY(rightClickSwatch(5) == nullptr);
        HueRecord hue = NumberedHue(0);
        hue.Colors[5] = 0x7C00;
        usePath(writeHueFile(QStringLiteral("menu.mul"), {hue}));
        window_->ReadHue(huedata::HuePosition(0));

        for (const auto& [entry, copied] : {std::pair{0, "#FF0000"}, std::pair{1, "0x7C00"}}) {
            QMenu* menu = rightClickSwatch(5);
            QVERIFY(menu != nullptr);
            QStringList texts;
            for (const QAction* action : menu->actions()) texts << action->text();
            QCOMPARE(texts, QStringList({"Copy #FF0000", "Copy 0x7C00"}));
            menu->actions().at(entry)->trigger();
            QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(copied));
            menu->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    void theBrowseActionFillsThePathAndReadsNothing() {
        const QString chosen = writeHueFile(QStringLiteral("chosen.mul"), NumberedHues(4));
        auto* browse = field("txtHuesPath")->findChild<QAction*>(QStringLiteral("actBrowse"));
        QVERIFY(browse != nullptr);
        QCOMPARE(browse->toolTip(), QString::fromUtf8("Choose the hue file…"));
        QVERIFY(!browse->icon().isNull());

        chosenFile_.clear();  // cancelled: the path stays
        browse->trigger();
        QCOMPARE(field("txtHuesPath")->text(),
                 QStringLiteral(R"(c:\program files\ardenmoor\hues.mul)"));
        chosenFile_ = chosen;
        browse->trigger();
        QCOMPARE(chooserStarts_.size(), 2);
        QCOMPARE(field("txtHuesPath")->text(), QDir::toNativeSeparators(chosen));
        QCOMPARE(shownName(), QString());
        pressGetIt();
        clickItem(3);
        QCOMPARE(shownName(), NameOf(3));
        QVERIFY(reports_.isEmpty());
    }

    void droppingAFileFillsThePath_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("on the window") << "frmMain";
        QTest::newRow("on the path field") << "txtHuesPath";
    }
    void droppingAFileFillsThePath() {
        QFETCH(QString, target);
        QWidget* widget = target == QLatin1String("frmMain") ? static_cast<QWidget*>(window_.get())
                                                             : field("txtHuesPath");
        const QString dropped = dir_.filePath(QStringLiteral("dropped.mul"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dropped)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(widget, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(widget, &drop);
        QCOMPARE(field("txtHuesPath")->text(), QDir::toNativeSeparators(dropped));
        QCOMPARE(shownName(), QString());  // the file need not even exist until a selection
    }

    void startsWithTheFileItWasGiven_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reported");
        const QString standard = QStringLiteral(R"(c:\program files\ardenmoor\hues.mul)");
        QTest::newRow("none") << QStringList{} << standard << QString();
        QTest::newRow("one file") << QStringList{QString::fromUtf8("hüe 中文.mul")}
                                  << QString::fromUtf8("hüe 中文.mul") << QString();
        QTest::newRow("an option") << QStringList{"--verbose"} << standard << "\"--verbose\"";
        QTest::newRow("two files")
            << QStringList{"a.mul", "b.mul"} << standard << R"("a.mul", "b.mul")";
    }
    void startsWithTheFileItWasGiven() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, path);
        QFETCH(QString, reported);
        std::vector<std::u16string> given;
        for (const QString& argument : arguments) given.push_back(argument.toStdU16String());
        window_->StartWith(given);
        QCOMPARE(field("txtHuesPath")->text(), path);
        QCOMPARE(reports_.size(), reported.isEmpty() ? 0 : 1);
        if (!reported.isEmpty()) QVERIFY2(reports_[0].contains(reported), qPrintable(reports_[0]));
        QCOMPARE(shownName(), QString());  // nothing is read until a selection
    }

    void aSessionOnlyEverReadsTheHueFile() {
        const QString path = writeHueFile(QStringLiteral("hues.mul"), NumberedHues(64));
        const std::filesystem::path file = path.toStdString();
        const std::vector<char> bytesBefore = FileBytes(file);
        const auto modifiedBefore = std::filesystem::last_write_time(file);
        // A file opened for writing reports IN_CLOSE_WRITE on closing, even if left unwritten.
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch, file.c_str(),
                            IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY | IN_ATTRIB);

        usePath(path);
        pressGetIt();
        clickItem(3);
        QTest::keyClick(list(), Qt::Key_Down);
        clickItem(4);
        QCOMPARE(shownName(), NameOf(4));
        const std::vector<std::uint32_t> events = TakeEvents(watch);
        ::close(watch);
        QVERIFY(!events.empty());
        for (const std::uint32_t mask : events) QCOMPARE(mask, std::uint32_t{IN_CLOSE_NOWRITE});
        QVERIFY(FileBytes(file) == bytesBefore);
        QVERIFY(std::filesystem::last_write_time(file) == modifiedBefore);
    }

    void aFailedReadIsReportedOnceAndChangesNothing_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "absent.mul"
                                      << "No such file or directory";
        QTest::newRow("directory") << "folder"
                                   << "Is a directory";
        QTest::newRow("short file") << "short.mul"
                                    << "The file is 356 bytes long, too short for the hue entry";
        QTest::newRow("empty path") << ""
                                    << "No file name was given";
    }
    void aFailedReadIsReportedOnceAndChangesNothing() {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        const QString goodPath = writeHueFile(QStringLiteral("hues.mul"), NumberedHues(16));
        writeHueFile(QStringLiteral("short.mul"), NumberedHues(4));
        QDir(dir_.path()).mkdir(QStringLiteral("folder"));
        usePath(goodPath);
        pressGetIt();
        clickItem(2);
        const QString badPath = fileName.isEmpty() ? QString() : dir_.filePath(fileName);
        usePath(badPath);
        const QStringList before = screen();

        clickItem(9);
        QCOMPARE(reports_.size(), 1);
        const QString expected =
            QStringLiteral("%1|Could not read hue 9 from the hue file \"%2\". %3")
                .arg(window_->windowTitle(), badPath, reason);
        QVERIFY2(reports_[0].startsWith(expected), qPrintable(reports_[0]));
        QCOMPARE(screen(), before);
        QCOMPARE(list()->selectionModel()->selectedIndexes().first().row(),
                 9);  // the user's choice

        usePath(goodPath);
        clickItem(9);  // fixing the path and clicking again is enough to retry
        QCOMPARE(shownName(), NameOf(9));
        QCOMPARE(reports_.size(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

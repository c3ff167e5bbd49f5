#include "viewer/main_window.h"

#include "huedata/hue_file.h"
#include "tools/hue_image.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using huedata::HueRecord;

struct Report {
    QString title;
    QString text;
};

HueRecord NumberedHue(int id) {
    HueRecord hue{};
    for (int i = 0; i < 32; ++i) {
        hue.Colors[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>((id * 97 + i * 1021) & 0x7FFF);
    }
    hue.TableStart = static_cast<std::int16_t>(id);
    hue.TableEnd = static_cast<std::int16_t>(id + 0x100);
    hue.Name = huetools::NameBytes("Hue " + std::to_string(id));
    return hue;
}

QString NameOf(int id) {
    return QStringLiteral("Hue %1").arg(id);
}

std::vector<char> FileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Counts what the kernel saw done to one file: every open for writing shows up as an
// IN_CLOSE_WRITE when closed, even if nothing was written.
class FileAccessWatch {
public:
    explicit FileAccessWatch(const std::filesystem::path& path)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(fd_, path.c_str(),
                            IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY | IN_ATTRIB);
    }
    FileAccessWatch(const FileAccessWatch&) = delete;
    FileAccessWatch& operator=(const FileAccessWatch&) = delete;
    ~FileAccessWatch() { ::close(fd_); }

    struct Accesses {
        int readOnlyOpens = 0;
        int writes = 0;  // opens for writing, changes of contents or attributes
        bool operator==(const Accesses&) const = default;
    };

    // What happened since the last call. inotify merges an event with an identical unread
    // one, so callers take them after every step.
    Accesses take() {
        drain();
        Accesses seen;
        for (const std::uint32_t mask : events_) {
            if (mask & IN_CLOSE_NOWRITE) ++seen.readOnlyOpens;
            if (mask & (IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB)) ++seen.writes;
        }
        events_.clear();
        return seen;
    }

private:
    void drain() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                events_.push_back(event->mask);
                at += sizeof(inotify_event) + event->len;
            }
        }
    }
    int fd_;
    std::vector<std::uint32_t> events_;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::vector<Report> reports_;
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

    QString writeHueFile(const QString& name, const std::vector<HueRecord>& hues) {
        QString path = dir_.filePath(name);
        huetools::WriteBytes(path.toStdString(), huetools::HueFileImage(hues, 0xA5A5A5A5));
        return path;
    }
    QString writeNumberedHues(const QString& name, int count = 3000) {
        std::vector<HueRecord> hues;
        hues.reserve(static_cast<std::size_t>(count));
        for (int id = 0; id < count; ++id) hues.push_back(NumberedHue(id));
        return writeHueFile(name, hues);
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
    QColor swatchColor(int i) { return swatch(i)->palette().color(QPalette::Window); }

    struct Screen {
        QString name, start, end, path;
        std::vector<QColor> colors;
        int rows = 0;
        QModelIndexList selection;
        bool operator==(const Screen&) const = default;
    };
    Screen screen() {
        Screen s{field("txtName")->text(),
                 field("txtStart")->text(),
                 field("txtEnd")->text(),
                 field("txtHuesPath")->text(),
                 {},
                 list()->model()->rowCount(),
                 list()->selectionModel()->selectedIndexes()};
        for (int i = 0; i < frmMain::SwatchCount; ++i) s.colors.push_back(swatchColor(i));
        return s;
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        reports_.clear();
        window_ =
            std::make_unique<frmMain>([this](QWidget*, const QString& title, const QString& text) {
                reports_.push_back({title, text});
            });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void startsEmptyWithTheDefaultPath() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Hues Read by Brannick"));
        QCOMPARE(window_->size(), QSize(425, 211));
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(field("txtHuesPath")->text(),
                 QStringLiteral("c:\\program files\\ardenmoor\\hues.mul"));
        for (const char* result : {"txtName", "txtStart", "txtEnd"})
            QVERIFY(field(result)->text().isEmpty());
        QCOMPARE(control<QPushButton>(QStringLiteral("cmdGetIt"))->text(),
                 QStringLiteral("Get It!"));
        QCOMPARE(control<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("Hues Name : "));
    }

    void swatchesFormOneUnbrokenStrip() {
        QCOMPARE(swatch(0)->geometry(), QRect(128, 8, 9, 81));
        for (int i = 1; i < frmMain::SwatchCount; ++i) {
            QCOMPARE(swatch(i)->x(), swatch(i - 1)->geometry().right());  // overlap by one pixel
            QCOMPARE(swatch(i)->size(), swatch(0)->size());
        }
        QCOMPARE(swatch(31)->x(), 5640 / 15);
    }

    void tabOrderFollowsTheLayout() {
        QWidget* current = field("txtName");
        const QStringList expected = {"cmdGetIt", "lstID",  "txtHuesPath",
                                      "txtStart", "txtEnd", "txtName"};
        for (const QString& name : expected) {
            current = current->nextInFocusChain();
            while (current->focusPolicy() == Qt::NoFocus || current->objectName().isEmpty()) {
                current = current->nextInFocusChain();
            }
            QCOMPARE(current->objectName(), name);
        }
    }

    void getItFillsTheListAndReadsNothing() {
        usePath(dir_.filePath(QStringLiteral("absent.mul")));
        for (int press = 0; press < 2; ++press) {
            pressGetIt();
            const QStringList items =
                qobject_cast<QStringListModel*>(list()->model())->stringList();
            QCOMPARE(items.size(), 2999);
            QCOMPARE(items.first(), QStringLiteral("0"));
            QCOMPARE(items[8], QStringLiteral("8"));
            QCOMPARE(items.last(), QStringLiteral("2998"));
            QVERIFY(!list()->selectionModel()->hasSelection());
        }
        QVERIFY(reports_.empty());
        QVERIFY(field("txtName")->text().isEmpty());
    }

    void refillingAfterASelectionReadsNothing() {
        usePath(writeNumberedHues(QStringLiteral("hues.mul")));
        pressGetIt();
        clickItem(3);
        usePath(dir_.filePath(QStringLiteral("absent.mul")));
        pressGetIt();
        QVERIFY(reports_.empty());
        QCOMPARE(field("txtName")->text(), NameOf(3));
    }

    void mouseAndKeyboardSelectionsReadTheirEntries() {
        usePath(writeNumberedHues(QStringLiteral("hues.mul")));
        pressGetIt();
        clickItem(0);
        QCOMPARE(field("txtName")->text(), NameOf(0));
        clickItem(8);
        QCOMPARE(field("txtName")->text(), NameOf(8));
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(field("txtName")->text(), NameOf(9));
        QTest::keyClick(list(), Qt::Key_End);
        QCOMPARE(field("txtName")->text(), NameOf(2998));
        QVERIFY(reports_.empty());
    }

    void everySelectionReadsTheFileAfresh() {
        std::vector<HueRecord> hues(16);
        for (int id = 0; id < 16; ++id) hues[static_cast<std::size_t>(id)] = NumberedHue(id);
        const QString path = writeHueFile(QStringLiteral("hues.mul"), hues);
        usePath(path);
        pressGetIt();
        clickItem(5);
        clickItem(6);
        hues[5].Name = huetools::NameBytes("Repainted");
        writeHueFile(QStringLiteral("hues.mul"), hues);
        clickItem(5);
        QCOMPARE(field("txtName")->text(), QStringLiteral("Repainted"));

        hues[5].Name = huetools::NameBytes("Again");
        writeHueFile(QStringLiteral("hues.mul"), hues);
        clickItem(5);  // already selected: a click reads it again
        QCOMPARE(field("txtName")->text(), QStringLiteral("Again"));
    }

    void anEditedPathAppliesToTheNextSelection() {
        usePath(writeNumberedHues(QStringLiteral("first.mul"), 16));
        pressGetIt();
        clickItem(4);
        std::vector<HueRecord> other(16, NumberedHue(0));
        other[7].Name = huetools::NameBytes("From the other file");
        usePath(writeHueFile(QStringLiteral("other.mul"), other));
        clickItem(7);
        QCOMPARE(field("txtName")->text(), QStringLiteral("From the other file"));
        QCOMPARE(list()->model()->rowCount(), 2999);
    }

    void showsNameAndTableTexts_data() {
        QTest::addColumn<QByteArray>("nameBytes");
        QTest::addColumn<int>("tableValue");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hex");
        QTest::newRow("three letters, zero value") << QByteArray("Ash") << 0 << "Ash"
                                                   << "0";
        QTest::newRow("twenty bytes, no zero byte")
            << QByteArray("ABCDEFGHIJKLMNOPQRST") << 0x1F << "ABCDEFGHIJKLMNOPQRST"
            << "1F";
        QTest::newRow("Windows-1252 letters, largest value")
            << QByteArray("Cr\xE8me \x80 Gold") << 0x7FFF << QString::fromUtf8("Crème € Gold")
            << "7FFF";
        QTest::newRow("smallest value") << QByteArray("Min") << -32768 << "Min"
                                        << "8000";
        QTest::newRow("minus one") << QByteArray("Neg") << -1 << "Neg"
                                   << "FFFF";
    }
    void showsNameAndTableTexts() {
        QFETCH(QByteArray, nameBytes);
        QFETCH(int, tableValue);
        std::vector<HueRecord> hues(9, NumberedHue(0));
        hues[8].Name = huetools::NameBytes(nameBytes.toStdString());
        hues[8].TableStart = static_cast<std::int16_t>(tableValue);
        hues[8].TableEnd = static_cast<std::int16_t>(tableValue);
        usePath(writeHueFile(QStringLiteral("texts.mul"), hues));
        window_->ReadHue(huedata::HuePosition(8));
        QTEST(field("txtName")->text(), "name");
        QTEST(field("txtStart")->text(), "hex");
        QTEST(field("txtEnd")->text(), "hex");
    }

    void paintsTheSwatchesInTheHuesColours() {
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
    }

    void aSessionOnlyEverReadsTheHueFile() {
        const QString path = writeNumberedHues(QStringLiteral("hues.mul"), 64);
        const std::filesystem::path file = path.toStdString();
        const std::vector<char> bytesBefore = FileBytes(file);
        const auto modifiedBefore = std::filesystem::last_write_time(file);
        FileAccessWatch watch(file);

        const std::function<void()> selections[] = {
            [&] { clickItem(3); }, [&] { clickItem(40); },
            [&] { QTest::keyClick(list(), Qt::Key_Down); },
            [&] { clickItem(41); },  // already selected: read again
        };
        usePath(path);
        pressGetIt();
        for (const auto& select : selections) {
            select();
            QVERIFY(watch.take() == (FileAccessWatch::Accesses{.readOnlyOpens = 1, .writes = 0}));
        }
        QCOMPARE(field("txtName")->text(), NameOf(41));
        QVERIFY(FileBytes(file) == bytesBefore);
        QVERIFY(std::filesystem::last_write_time(file) == modifiedBefore);
    }

    void controlsHaveSpokenNamesAndSwatchesExplainTheirColours() {
        QCOMPARE(list()->accessibleName(), QStringLiteral("Hue identifiers"));
        QCOMPARE(field("txtHuesPath")->accessibleName(), QStringLiteral("Hue file path"));
        QCOMPARE(field("txtName")->accessibleName(), QStringLiteral("Hue name"));
        QCOMPARE(field("txtStart")->accessibleName(), QStringLiteral("Table start"));
        QCOMPARE(field("txtEnd")->accessibleName(), QStringLiteral("Table end"));
        QVERIFY(swatch(5)->toolTip().isEmpty());

        HueRecord hue = NumberedHue(0);
        hue.Colors[5] = 0x7C00;
        hue.Colors[31] = static_cast<std::int16_t>(0x801F);
        usePath(writeHueFile(QStringLiteral("named.mul"), {hue}));
        window_->ReadHue(huedata::HuePosition(0));
        QCOMPARE(swatch(5)->toolTip(), QString::fromUtf8("Colour 5: 0x7C00 → #FF0000"));
        QCOMPARE(swatch(5)->accessibleName(), QStringLiteral("Colour 5, #FF0000"));
        QCOMPARE(swatch(31)->toolTip(), QString::fromUtf8("Colour 31: 0x801F → #0000FF"));
        QCOMPARE(swatch(31)->accessibleName(), QStringLiteral("Colour 31, #0000FF"));
    }

    void aFailedReadIsReportedOnceAndChangesNothing_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "absent.mul"
                                      << "No such file or directory";
        QTest::newRow("directory") << "folder"
                                   << "Is a directory";
        QTest::newRow("short file") << "short.mul"
                                    << "too short for the hue entry";
        QTest::newRow("empty path") << ""
                                    << "no file name was given";
    }
    void aFailedReadIsReportedOnceAndChangesNothing() {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        usePath(writeNumberedHues(QStringLiteral("hues.mul"), 16));
        pressGetIt();
        clickItem(2);
        QDir(dir_.path()).mkdir(QStringLiteral("folder"));
        writeNumberedHues(QStringLiteral("short.mul"), 4);
        const QString badPath = fileName.isEmpty() ? QString() : dir_.filePath(fileName);
        usePath(badPath);
        const Screen before = screen();

        clickItem(9);
        QCOMPARE(reports_.size(), std::size_t{1});
        QCOMPARE(reports_[0].title, window_->windowTitle());
        QVERIFY2(reports_[0].text.contains(QStringLiteral("\"%1\"").arg(badPath)),
                 qPrintable(reports_[0].text));
        QVERIFY2(reports_[0].text.contains(reason), qPrintable(reports_[0].text));
        QVERIFY2(reports_[0].text.contains(QStringLiteral("hue 9")), qPrintable(reports_[0].text));
        Screen after = screen();
        QCOMPARE(after.selection.size(), 1);
        QCOMPARE(after.selection.first().row(), 9);  // the user's new choice stands
        after.selection = before.selection;
        QVERIFY(after == before);

        // Fixing the path and clicking the selected entry again is enough to retry.
        usePath(dir_.filePath(QStringLiteral("hues.mul")));
        clickItem(9);
        QCOMPARE(field("txtName")->text(), NameOf(9));
        QCOMPARE(reports_.size(), std::size_t{1});
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

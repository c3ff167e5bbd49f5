// The viewer's one window. "Get It!" fills the identifier list; selecting an identifier
// reads that hue afresh from the file named in the path field and shows its name, its
// table values in hexadecimal and its 32 colours as a strip of swatches.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QStringListModel;

#include "viewer/form_layout.h"
#include "viewer/hue_display.h"

#include <string>
#include <string_view>
#include <vector>

// Tells the user that an action failed; the window goes on afterwards.
using ErrorReporter =
    std::function<void(QWidget* parent, const QString& title, const QString& text)>;

// The reporter a running program uses: a modal message box.
void ShowErrorMessageBox(QWidget* parent, const QString& title, const QString& text);

// Asks the user for a hue file, starting from `currentPath`; an empty result means none.
using FileChooser = std::function<QString(QWidget* parent, const QString& currentPath)>;

// The chooser a running program uses: a file dialog for hue files and all files.
QString ChooseHueFileInDialog(QWidget* parent, const QString& currentPath);

class frmMain : public QWidget {
    Q_OBJECT

public:
    static constexpr int SwatchCount = viewer::SwatchCount;

    explicit frmMain(ErrorReporter reportError = ShowErrorMessageBox,
                     FileChooser chooseFile = ChooseHueFileInDialog, QWidget* parent = nullptr);

    // The two user actions; public so that tests and benchmarks can drive them directly.
    void cmdGetIt_Click();
    void lstID_Click();
    // Takes the arguments the program was started with: one hue file goes into the path
    // field; anything else is ignored, and the report says what.
    void StartWith(const std::vector<std::u16string>& arguments);
    // Reads the hue at a 1-based file position and shows it. Throws huedata::FileError
    // before changing anything on screen when the file cannot be read.
    void ReadHue(std::int32_t position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A hue file dropped from a file manager goes into the path field, as if chosen.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void fitFonts();
    QLabel* makeSwatch(int index);
    void applyTabOrder();
    void connectActions();
    void onSelectionChanged();
    void onItemClicked(const QModelIndex& index);
    void ShowHue(const viewer::ShownHue& hue);
    void reportReadFailure(std::u16string_view item, std::u16string_view reason);
    void addBrowseAction();
    void showSwatchMenu(int index, const QPoint& position);
    void usePath(const QString& path);
    bool takeFileDrop(QEvent* event);

    ErrorReporter reportError_;
    FileChooser chooseFile_;
    // The hue on show; none before the first hue is read.
    std::optional<viewer::ShownHue> shown_;
    // A mouse press that changes the selection reads the hue at once; the click that ends
    // the same press must not read it a second time.
    bool mouseButtonDown_ = false;
    bool selectionChangedByPress_ = false;

    QListView* lstID = nullptr;
    QStringListModel* lstIDItems = nullptr;
    std::array<QLabel*, SwatchCount> picHue{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtEnd = nullptr;
    QLineEdit* txtHuesPath = nullptr;
    QPushButton* cmdGetIt = nullptr;
};

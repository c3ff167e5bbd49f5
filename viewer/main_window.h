// The viewer's one window. "Get It!" fills the identifier list; selecting an identifier
// reads that hue afresh from the file named in the path field and shows its name, its
// table values in hexadecimal and its 32 colours as a strip of swatches.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QStringListModel;

namespace huedata {
struct HueRecord;
}

// Tells the user that an action failed; the window goes on afterwards.
using ErrorReporter =
    std::function<void(QWidget* parent, const QString& title, const QString& text)>;

// The reporter a running program uses: a modal message box.
void ShowErrorMessageBox(QWidget* parent, const QString& title, const QString& text);

class frmMain : public QWidget {
    Q_OBJECT

public:
    static constexpr int SwatchCount = 32;
    static inline const QString DefaultHuesPath =
        QStringLiteral("c:\\program files\\ardenmoor\\hues.mul");

    explicit frmMain(ErrorReporter reportError = ShowErrorMessageBox, QWidget* parent = nullptr);

    // The two user actions; public so that tests and benchmarks can drive them directly.
    void cmdGetIt_Click();
    void lstID_Click();
    // Reads the hue at a 1-based file position and shows it. Throws huedata::HueFileError
    // before changing anything on screen when the file cannot be read.
    void ReadHue(std::int32_t position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void applyTabOrder();
    void connectActions();
    void onSelectionChanged();
    void onItemClicked(const QModelIndex& index);
    void ShowHue(const huedata::HueRecord& hue);
    void reportReadFailure(const QString& item, const QString& reason);

    ErrorReporter reportError_;
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

#include "main_window.h"

#include "huedata/color15.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "system_colors.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QUrl>

#include <filesystem>

namespace {

constexpr int HighestListedHueId = 2998;

// Geometry is laid out in twips, as the window was designed; 15 twips make one pixel.
QRect FromTwips(int left, int top, int width, int height) {
    constexpr int TwipsPerPixel = 15;
    return QRect(left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
                 height / TwipsPerPixel);
}

// Built once: refilling the list then only shares this list with the model.
const QStringList& IdentifierTexts() {
    static const QStringList texts = [] {
        QStringList list;
        list.reserve(HighestListedHueId + 1);
        for (int id = 0; id <= HighestListedHueId; ++id) list.append(QString::number(id));
        return list;
    }();
    return texts;
}

std::filesystem::path PathFromText(const QString& text) {
#if defined(Q_OS_WIN)
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

// The captions were sized for an 8-point Arial-like face; wider default fonts would clip them.
QFont CaptionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void SetBackground(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QString SwatchName(int index) {
    return QObject::tr("Colour %1").arg(index);
}

// Tooltip and spoken name of a swatch, e.g. "Colour 5: 0x7C00 → #FF0000" and "Colour 5, #FF0000".
void ShowSwatch(QLabel* swatch, int index, huedata::Color15 value) {
    const huedata::Rgb24 rgb = huedata::ConvertColor(value);
    const QString rgbText = QString::fromStdString(huedata::RgbText(rgb));
    SetBackground(swatch, QPalette::Window, QColor(rgb.red, rgb.green, rgb.blue));
    swatch->setToolTip(
        QStringLiteral("%1: %2 \u2192 %3")
            .arg(SwatchName(index), QString::fromStdString(huedata::Color15Text(value)), rgbText));
    swatch->setAccessibleName(QStringLiteral("%1, %2").arg(SwatchName(index), rgbText));
}

// The one local file a drag carries, or nothing.
QString DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) return {};
    const QUrl url = mime->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

void CopyToClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace

QString ChooseHueFileInDialog(QWidget* parent, const QString& currentPath) {
    const QFileInfo current(currentPath);
    return QFileDialog::getOpenFileName(parent, QObject::tr("Choose the hue file"),
                                        current.exists() ? current.absolutePath() : QString(),
                                        QObject::tr("Hue files (*.mul);;All files (*)"));
}

void ShowErrorMessageBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

frmMain::frmMain(ErrorReporter reportError, FileChooser chooseFile, QWidget* parent)
    : QWidget(parent), reportError_(std::move(reportError)), chooseFile_(std::move(chooseFile)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Hues Read by Brannick"));
    setFixedSize(FromTwips(0, 0, 6375, 3165).size());
    setAutoFillBackground(true);
    SetBackground(this, QPalette::Window, QColor(192, 192, 192));
    setFont(CaptionFont());
    createControls();
    addBrowseAction();
    applyTabOrder();
    connectActions();
    setAcceptDrops(true);
}

void frmMain::createControls() {
    const QColor activeBorder = ActiveBorderColor();
    auto makeLineEdit = [&](const char* name, const QRect& geometry, const QString& text,
                            const QString& spokenName) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(geometry);
        edit->setAccessibleName(spokenName);
        SetBackground(edit, QPalette::Base, activeBorder);
        return edit;
    };
    auto makeLabel = [&](const QString& name, const QRect& geometry, const QString& caption) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(name);
        label->setGeometry(geometry);
        return label;
    };

    lstID = new QListView(this);
    lstID->setObjectName(QStringLiteral("lstID"));
    lstID->setGeometry(FromTwips(0, 0, 1215, 3150));
    lstID->setSelectionMode(QAbstractItemView::SingleSelection);
    lstID->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstID->setUniformItemSizes(true);  // lets 2,999 rows lay out without measuring each
    lstID->setAccessibleName(tr("Hue identifiers"));
    SetBackground(lstID, QPalette::Base, activeBorder);
    lstIDItems = new QStringListModel(this);
    lstID->setModel(lstIDItems);

    for (int i = 0; i < SwatchCount; ++i) {
        // Each swatch is a pixel wider than the step between them, so the strip has no gaps.
        QLabel* swatch = makeLabel(QStringLiteral("picHue(%1)").arg(i),
                                   FromTwips(1920 + 120 * i, 120, 135, 1215), {});
        swatch->setFrameShape(QFrame::NoFrame);
        swatch->setAutoFillBackground(true);
        swatch->setAccessibleName(SwatchName(i));
        swatch->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(swatch, &QLabel::customContextMenuRequested, this,
                [this, i](const QPoint& position) { showSwatchMenu(i, position); });
        picHue[static_cast<std::size_t>(i)] = swatch;
    }

    Label1 = makeLabel(QStringLiteral("Label1"), FromTwips(1320, 1680, 975, 195),
                       QStringLiteral("Hues Name : "));
    txtName = makeLineEdit("txtName", FromTwips(1320, 1920, 1935, 285), {}, tr("Hue name"));
    Label2 = makeLabel(QStringLiteral("Label2"), FromTwips(4560, 1680, 1470, 195),
                       QStringLiteral("Table Start (in hex) : "));
    txtStart = makeLineEdit("txtStart", FromTwips(4320, 1920, 1935, 285), {}, tr("Table start"));
    cmdGetIt = new QPushButton(QStringLiteral("Get It!"), this);
    cmdGetIt->setObjectName(QStringLiteral("cmdGetIt"));
    cmdGetIt->setGeometry(FromTwips(1320, 2280, 975, 375));
    Label3 = makeLabel(QStringLiteral("Label3"), FromTwips(4560, 2520, 1425, 195),
                       QStringLiteral("Table End (in hex) : "));
    txtHuesPath = makeLineEdit("txtHuesPath", FromTwips(1320, 2760, 2895, 285), DefaultHuesPath,
                               tr("Hue file path"));
    txtHuesPath->setCursorPosition(0);  // show the start of a path too long for the field
    txtEnd = makeLineEdit("txtEnd", FromTwips(4320, 2760, 1935, 285), {}, tr("Table end"));

    // The result fields are written by the viewer only; they stay selectable for copying.
    for (QLineEdit* result : {txtName, txtStart, txtEnd}) result->setReadOnly(true);
}

// A trailing action inside the path field, so the window's layout stays as it is.
void frmMain::addBrowseAction() {
    QAction* browse = txtHuesPath->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                             QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("actBrowse"));
    browse->setToolTip(tr("Choose the hue file\u2026"));
    connect(browse, &QAction::triggered, this, [this] {
        const QString chosen = chooseFile_(this, txtHuesPath->text());
        if (!chosen.isEmpty()) usePath(chosen);
    });
}

// As with a typed path, nothing is read until the next selection.
void frmMain::usePath(const QString& path) {
    txtHuesPath->setText(QDir::toNativeSeparators(path));
    txtHuesPath->setCursorPosition(0);
}

void frmMain::showSwatchMenu(int index, const QPoint& position) {
    if (!shownColors_) return;  // nothing to copy before a hue is shown
    const huedata::Color15 stored = (*shownColors_)[static_cast<std::size_t>(index)];
    const QString rgb = QString::fromStdString(huedata::RgbText(huedata::ConvertColor(stored)));
    const QString value = QString::fromStdString(huedata::Color15Text(stored));
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("swatchMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Copy %1").arg(rgb), this, [rgb] { CopyToClipboard(rgb); });
    menu->addAction(tr("Copy %1").arg(value), this, [value] { CopyToClipboard(value); });
    menu->popup(picHue[static_cast<std::size_t>(index)]->mapToGlobal(position));
}

// Takes a drag that carries one local file, and on the drop puts that file in the path field.
bool frmMain::takeFileDrop(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = DroppedFile(drop->mimeData());
    if (file.isEmpty()) return false;
    if (type == QEvent::Drop) usePath(file);
    drop->acceptProposedAction();
    return true;
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    takeFileDrop(event);
}

void frmMain::dropEvent(QDropEvent* event) {
    takeFileDrop(event);
}

void frmMain::applyTabOrder() {
    QWidget* const order[] = {txtName, cmdGetIt, lstID, txtHuesPath, txtStart, txtEnd};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
}

void frmMain::connectActions() {
    connect(cmdGetIt, &QPushButton::clicked, this, &frmMain::cmdGetIt_Click);
    connect(lstID->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::onSelectionChanged);
    connect(lstID, &QListView::clicked, this, &frmMain::onItemClicked);
    lstID->viewport()->installEventFilter(this);
    txtHuesPath->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // The path field would paste a dropped file's URL as text; it takes the file instead.
    if (watched == txtHuesPath && takeFileDrop(event)) return true;
    // Seen before the list handles the event, so the flags describe the press in progress.
    if (watched == lstID->viewport() && event->type() == QEvent::MouseButtonPress) {
        mouseButtonDown_ = true;
        selectionChangedByPress_ = false;
    } else if (watched == lstID->viewport() && event->type() == QEvent::MouseButtonRelease) {
        mouseButtonDown_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

// A new selection, by mouse or keyboard. Clearing the list leaves none, so it reads nothing.
void frmMain::onSelectionChanged() {
    selectionChangedByPress_ = mouseButtonDown_;
    lstID_Click();
}

// A click on the entry that was already selected reads it again, e.g. after fixing the path.
void frmMain::onItemClicked(const QModelIndex& index) {
    if (selectionChangedByPress_ || !lstID->selectionModel()->isSelected(index)) return;
    lstID_Click();
}

void frmMain::cmdGetIt_Click() {
    lstIDItems->setStringList(IdentifierTexts());
}

void frmMain::lstID_Click() {
    const QModelIndexList selected = lstID->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    const QString item = selected.first().data().toString();
    bool isNumber = false;
    const short id = item.toShort(&isNumber, 10);
    if (!isNumber) {
        reportReadFailure(item,
                          tr("The item \"%1\" is not a hue identifier from 0 to 32767").arg(item));
        return;
    }
    try {
        ReadHue(huedata::HuePosition(id));
    } catch (const huedata::HueFileError& error) {
        reportReadFailure(item, QString::fromStdString(error.reason()));
    }
}

void frmMain::ReadHue(std::int32_t position) {
    // Read first: a failed read must leave everything on screen as it was.
    const huedata::HueRecord hue =
        huedata::ReadHueRecord(PathFromText(txtHuesPath->text()), position);
    ShowHue(hue);
}

void frmMain::ShowHue(const huedata::HueRecord& hue) {
    txtName->setText(QString::fromStdU16String(huedata::HueNameText(hue.Name)));
    txtStart->setText(QString::fromStdString(huedata::HexText(hue.TableStart)));
    txtEnd->setText(QString::fromStdString(huedata::HexText(hue.TableEnd)));
    for (std::size_t i = 0; i < picHue.size(); ++i) {
        ShowSwatch(picHue[i], static_cast<int>(i), hue.Colors[i]);
    }
    shownColors_ = hue.Colors;
}

void frmMain::reportReadFailure(const QString& item, const QString& reason) {
    // The reason starts a sentence of its own with a capital letter.
    const QString text = tr("Could not read hue %1 from the hue file \"%2\". %3.")
                             .arg(item, txtHuesPath->text(), reason);
    reportError_(this, windowTitle(), text);
}

#include "main_window.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "system_colors.h"
#include "viewer/form_layout.h"
#include "viewer/hue_display.h"
#include "viewer/start_arguments.h"
#include "viewer/text_fit.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
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
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QUrl>

#include <filesystem>

namespace {

QString FromUtf16(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Geometry is laid out in twips, as the window was designed; Qt scales pixels for the screen.
QRect FromTwips(const viewer::Rect& twips) {
    const viewer::Rect pixels = viewer::TwipsToPixels(twips, 96);
    return QRect(pixels.left, pixels.top, pixels.width, pixels.height);
}

// Built once: refilling the list then only shares this list with the model.
const QStringList& IdentifierTexts() {
    static const QStringList texts = [] {
        QStringList list;
        list.reserve(viewer::ListedHueCount);
        for (int i = 0; i < viewer::ListedHueCount; ++i) {
            list.append(FromUtf16(viewer::ListItemText(i)));
        }
        return list;
    }();
    return texts;
}

// Each kind of control of the shared table as a widget.
QWidget* MakeControl(const viewer::FormControl& entry, QWidget* parent) {
    const QString text = FromUtf16(entry.text);
    switch (entry.kind) {
        case viewer::ControlKind::ListBox: {
            auto* list = new QListView(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setEditTriggers(QAbstractItemView::NoEditTriggers);
            list->setUniformItemSizes(true);  // lets 2,999 rows lay out without measuring each
            return list;
        }
        case viewer::ControlKind::Button:
            return new QPushButton(text, parent);
        case viewer::ControlKind::TextField:
            return new QLineEdit(text, parent);
        case viewer::ControlKind::Caption:
        case viewer::ControlKind::Swatch:
            break;
    }
    return new QLabel(text, parent);
}

std::filesystem::path PathFromText(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

// The layout was drawn for an 8-point Arial-like face; Qt's scaling takes its pixels to the
// screen's density.
constexpr std::u16string_view LayoutFontFace = u"Arial";

QFont FontOf(const viewer::FontChoice& choice) {
    QFont font(FromUtf16(choice.face));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(choice.pixels);
    return font;
}

// The font that fits `text` in `room` inside `control`, as Qt measures it there (in
// device-independent pixels, as the layout is).
viewer::FittedFont FitIn(const QWidget* control, const QString& text, const QSizeF& room) {
    return viewer::FitText(
        LayoutFontFace, 96, {room.width(), room.height()}, [&](const viewer::FontChoice& choice) {
            const QFontMetricsF metrics(FontOf(choice), control);
            return viewer::TextExtent{metrics.horizontalAdvance(text), metrics.height()};
        });
}

// Where a field draws its text, and a button its caption, inside their frames.
QRect TextRoom(const QLineEdit* field) {
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    return field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
}
QRect TextRoom(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

void SetBackground(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

void ShowSwatch(QLabel* swatch, int index, const viewer::Swatch& shown) {
    SetBackground(swatch, QPalette::Window, QColor(shown.rgb.red, shown.rgb.green, shown.rgb.blue));
    swatch->setToolTip(FromUtf16(viewer::SwatchTooltip(index, shown)));
    swatch->setAccessibleName(FromUtf16(viewer::SwatchSpokenName(index, shown)));
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
    return QFileDialog::getOpenFileName(
        parent, FromUtf16(viewer::BrowseDialogTitle),
        current.exists() ? current.absolutePath() : QString(),
        FromUtf16(viewer::HueFilesFilter) + QStringLiteral(";;") + QObject::tr("All files (*)"));
}

void ShowErrorMessageBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

frmMain::frmMain(ErrorReporter reportError, FileChooser chooseFile, QWidget* parent)
    : QWidget(parent), reportError_(std::move(reportError)), chooseFile_(std::move(chooseFile)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(FromUtf16(viewer::WindowCaption));
    setFixedSize(FromTwips(viewer::ClientTwips).size());
    setAutoFillBackground(true);
    SetBackground(this, QPalette::Window,
                  QColor(viewer::WindowGrey, viewer::WindowGrey, viewer::WindowGrey));
    setFont(FontOf({LayoutFontFace, viewer::FontPixels(viewer::LayoutFontPoints, 96)}));
    createControls();
    fitFonts();
    addBrowseAction();
    applyTabOrder();
    connectActions();
    setAcceptDrops(true);
}

void frmMain::createControls() {
    for (const viewer::FormControl& entry : viewer::MainFormControls) {
        if (entry.kind == viewer::ControlKind::Swatch) {
            for (int i = 0; i < SwatchCount; ++i) {
                picHue[static_cast<std::size_t>(i)] = makeSwatch(i);
            }
            continue;
        }
        QWidget* control = MakeControl(entry, this);
        control->setObjectName(
            QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
        control->setGeometry(FromTwips(entry.twips));
        control->setAccessibleName(FromUtf16(entry.spokenName));
        if (entry.background == viewer::Background::ActiveBorder) {
            SetBackground(control, QPalette::Base, ActiveBorderColor());
        }
    }
    lstID = findChild<QListView*>(QStringLiteral("lstID"));
    lstIDItems = new QStringListModel(this);
    lstID->setModel(lstIDItems);
    cmdGetIt = findChild<QPushButton*>(QStringLiteral("cmdGetIt"));
    Label1 = findChild<QLabel*>(QStringLiteral("Label1"));
    Label2 = findChild<QLabel*>(QStringLiteral("Label2"));
    Label3 = findChild<QLabel*>(QStringLiteral("Label3"));
    txtName = findChild<QLineEdit*>(QStringLiteral("txtName"));
    txtStart = findChild<QLineEdit*>(QStringLiteral("txtStart"));
    txtEnd = findChild<QLineEdit*>(QStringLiteral("txtEnd"));
    txtHuesPath = findChild<QLineEdit*>(QStringLiteral("txtHuesPath"));
    txtHuesPath->setCursorPosition(0);  // show the start of a path too long for the field
    // The result fields are written by the viewer only; they stay selectable for copying.
    for (QLineEdit* result : {txtName, txtStart, txtEnd}) result->setReadOnly(true);
}

// The fields and the list keep the layout's font unless a line of it is too tall for a field;
// each caption and the button get the font that shows their whole text inside their rectangle.
// Made once: the layout is in device-independent pixels whatever the screen's density.
void frmMain::fitFonts() {
    const QRect field = TextRoom(txtName);
    const QFont fieldFont = FontOf(FitIn(txtName, QString(), QSizeF(1e9, field.height())).font);
    for (QWidget* control :
         std::initializer_list<QWidget*>{lstID, txtName, txtStart, txtEnd, txtHuesPath}) {
        control->setFont(fieldFont);
    }
    for (QLabel* caption : {Label1, Label2, Label3}) {
        const QString text = caption->text();
        const viewer::FittedFont fitted = FitIn(caption, text, caption->contentsRect().size());
        caption->setFont(FontOf(fitted.font));
        if (fitted.elided) {
            caption->setText(
                QFontMetricsF(caption->font(), caption)
                    .elidedText(text, Qt::ElideRight, caption->contentsRect().width()));
            caption->setToolTip(text);
        }
    }
    const viewer::FittedFont button = FitIn(cmdGetIt, cmdGetIt->text(), TextRoom(cmdGetIt).size());
    cmdGetIt->setFont(FontOf(button.font));
    if (button.elided) cmdGetIt->setToolTip(cmdGetIt->text());
}

QLabel* frmMain::makeSwatch(int index) {
    auto* swatch = new QLabel(this);
    swatch->setObjectName(QStringLiteral("picHue(%1)").arg(index));
    swatch->setGeometry(FromTwips(viewer::SwatchTwips(index)));
    swatch->setFrameShape(QFrame::NoFrame);
    swatch->setAutoFillBackground(true);
    swatch->setAccessibleName(FromUtf16(viewer::SwatchName(index)));
    swatch->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(swatch, &QLabel::customContextMenuRequested, this,
            [this, index](const QPoint& position) { showSwatchMenu(index, position); });
    return swatch;
}

// A trailing action inside the path field, so the window's layout stays as it is.
void frmMain::addBrowseAction() {
    QAction* browse = txtHuesPath->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                             QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("actBrowse"));
    browse->setText(FromUtf16(viewer::BrowseButtonName));  // its spoken name
    browse->setToolTip(FromUtf16(viewer::BrowseButtonName));
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
    if (!shown_) return;  // nothing to copy before a hue is shown
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("swatchMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const std::u16string& copied :
         viewer::SwatchCopyTexts(shown_->swatches[static_cast<std::size_t>(index)])) {
        const QString text = FromUtf16(copied);
        menu->addAction(FromUtf16(viewer::CopyMenuText(copied)), this,
                        [text] { CopyToClipboard(text); });
    }
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
    QWidget* previous = nullptr;
    for (const std::string_view name : viewer::TabOrder) {
        auto* control = findChild<QWidget*>(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (previous != nullptr) QWidget::setTabOrder(previous, control);
        previous = control;
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

void frmMain::StartWith(const std::vector<std::u16string>& arguments) {
    const viewer::StartArguments start = viewer::ParseStartArguments(arguments);
    if (start.path) usePath(FromUtf16(*start.path));
    const std::u16string ignored = viewer::IgnoredArgumentsMessage(start);
    if (!ignored.empty()) reportError_(this, windowTitle(), FromUtf16(ignored));
}

void frmMain::cmdGetIt_Click() {
    lstIDItems->setStringList(IdentifierTexts());
}

void frmMain::lstID_Click() {
    const QModelIndexList selected = lstID->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    const std::u16string item = selected.first().data().toString().toStdU16String();
    const auto failure =
        viewer::ReadSelectedItem(item, [this](std::int32_t position) { ReadHue(position); });
    if (failure) reportReadFailure(item, *failure);
}

void frmMain::ReadHue(std::int32_t position) {
    // Read first: a failed read must leave everything on screen as it was.
    const huedata::HueRecord hue =
        huedata::ReadHueRecord(PathFromText(txtHuesPath->text()), position);
    ShowHue(viewer::ShowHue(hue));
}

void frmMain::ShowHue(const viewer::ShownHue& hue) {
    txtName->setText(FromUtf16(hue.name));
    txtStart->setText(FromUtf16(hue.tableStart));
    txtEnd->setText(FromUtf16(hue.tableEnd));
    for (std::size_t i = 0; i < picHue.size(); ++i) {
        ShowSwatch(picHue[i], static_cast<int>(i), hue.swatches[i]);
    }
    shown_ = hue;
}

void frmMain::reportReadFailure(std::u16string_view item, std::u16string_view reason) {
    const QString text =
        FromUtf16(viewer::ReadFailureMessage(item, txtHuesPath->text().toStdU16String(), reason));
    reportError_(this, windowTitle(), text);
}

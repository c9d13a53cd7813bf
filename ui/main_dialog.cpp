#include "ui/main_dialog.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <QActionGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "bandwidth/ending.h"
#include "bandwidth/program_files.h"
#include "bandwidth/report.h"
#include "bandwidth/request.h"
#include "frontend/built_in_urls.h"
#include "frontend/string_table.h"
#include "frontend/url_list_file.h"
#include "frontend/working_folder.h"
#include "history/history_store.h"
#include "platform/desktop/qt_message_target.h"
#include "platform/desktop/shell.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "ui/about_dialog.h"
#include "ui/app_icon.h"
#include "ui/dialog_settings.h"
#include "ui/dialog_units.h"
#include "ui/resource_ids.h"
#include "ui/result_line_label.h"
#include "ui/results_window.h"

namespace {

// Written only while no test runs, just before a worker starts and reads it.
TestRequest Request;

// The template's status line is one line high, and its longer texts wrap: it takes the free
// space above the progress bar (at 113), two lines and the room that the font's own line
// spacing may add to them.
constexpr int StatusLineHeight = 20;
// The result line in the free band between the progress bar (ending at 133) and the buttons
// (at 167): one line, and room for a second should a long figure wrap.
constexpr int ResultLineTop = 137;
constexpr int ResultLineHeight = 20;
// The URL box's dropped list: the 64 of its 78 units below the edit field, eight lines of text.
constexpr int DroppedListLines = (78 - 14) / 8;
// Results of the modal run: the Close button, or a confirmed exit.
constexpr int EndedByClose = 1;
constexpr int EndedByExit = 2;

template <typename Widget>
Widget* Control(Widget* widget, const char* name, int id, const DialogUnits& units, QRect rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setProperty("controlId", id);
    widget->setGeometry(units.rect(rect.x(), rect.y(), rect.width(), rect.height()));
    return widget;
}

QLabel* StaticText(QWidget* parent, const char* text) {
    auto* label = new QLabel(QString::fromLocal8Bit(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Left-aligned static texts break long lines at word boundaries.
    label->setWordWrap(true);
    // A double-click on a text is a double-click on the dialog: it opens the About box.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QString Text(UINT id) {
    return QString::fromLocal8Bit(LoadString(id));
}

std::string NoViewerText(const std::string& report) {
    return "No application could open the report\n" + report +
           "\nOpen it with a text editor, or choose a default application for text files in "
           "your desktop's settings.";
}

}  // namespace

TestDialog::TestDialog(QWidget* parent) : TestDialog(Options{}, parent) {}

TestDialog::TestDialog(Options options, QWidget* parent)
    // A window of its own for the window manager, not a dialog of another window: the
    // program's main window has its own taskbar button and a minimise box.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      logic_(CancelRequest),
      startWorker_(options.startWorker ? std::move(options.startWorker)
                                       : WorkerStarter(StartDetachedTestWorker)),
      programDirectory_(std::move(options.programDirectory)),
      settings_(LoadDialogSettings()) {
    setWindowTitle(QStringLiteral("Corvanite Test"));
    setFont(DialogUnits::dialogFont());
    createControls();
    createWindowMenu();
    setWindowIcon(ApplicationIcon());
    if (programDirectory_.empty()) {
        WorkingFolder folder = WorkingFolderOfThisProgram();
        programDirectory_ = std::move(folder.directory);
        urlListFiles_ = std::move(folder.urlListFiles);
    } else {
        urlListFiles_ = {programDirectory_ + "/" + UrlListFileName};
    }
    loadUrlList();
    showControls();

    // No parent: the member, and with it the handle, goes before the controls do.
    messages_ = std::make_unique<QtMessageTarget>(
        nullptr, [this](UINT message, WPARAM wParam, LPARAM lParam) {
            windowMessage(message, wParam, lParam);
        });
    messageWindow_ = messages_->window();
}

TestDialog::~TestDialog() = default;

void TestDialog::createControls() {
    const DialogUnits units(font());
    setFixedSize(units.size(320, 200));

    // Template order, which is also the tab order.
    close_ = Control(new QPushButton(QStringLiteral("Cl&ose"), this), "close", IDC_CLOSE, units,
                     QRect(179, 167, 50, 14));
    status_ = Control(StaticText(this, ""), "status", IDC_STATUS, units,
                      QRect(39, 90, 200, StatusLineHeight));
    urlLabel_ =
        Control(StaticText(this, "URL:"), "urlLabel", IDC_STATIC, units, QRect(39, 28, 21, 12));
    test_ = Control(new QPushButton(QStringLiteral("&Test"), this), "test", IDC_TEST, units,
                    QRect(243, 25, 35, 18));
    test_->setDefault(true);
    progress_ =
        Control(new QProgressBar(this), "progress", IDC_PROGRESS, units, QRect(39, 113, 239, 20));
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    // A double-click on the bar is not one on the dialog's surface: it opens no About box.
    progress_->setAttribute(Qt::WA_NoMousePropagation);
    url_ = new QComboBox(this);
    url_->setEditable(true);
    url_->setInsertPolicy(QComboBox::NoInsert);
    url_->setDuplicatesEnabled(true);
    // The URL goes to the worker exactly as typed: no completion from the list, which would
    // change its case or add to it, and would take the first Enter for itself.
    url_->setCompleter(nullptr);
    // The template's 78 units include the dropped list; the closed box takes its own height.
    Control(url_, "url", IDC_URL, units, QRect(63, 27, 167, 78));
    url_->resize(url_->width(), url_->sizeHint().height());
    url_->setMaxVisibleItems(DroppedListLines);
    // A long URL shows its start, the host, rather than its end.
    connect(url_, &QComboBox::currentIndexChanged, this,
            [this] { url_->lineEdit()->setCursorPosition(0); });
    viewReport_ = Control(new QPushButton(QStringLiteral("&View Report"), this), "viewReport",
                          IDC_VIEW_REPORT, units, QRect(88, 167, 50, 14));
    cancel_ = Control(new QPushButton(QStringLiteral("Cancel"), this), "cancel", IDC_CANCEL_TEST,
                      units, QRect(180, 167, 50, 14));
    // Not a control of the template: no id; a tab stop after the URL box only while it shows
    // a result that opens the Results window.
    result_ = new ResultLineLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    result_->setWordWrap(true);
    result_->setGeometry(units.rect(39, ResultLineTop, 239, ResultLineHeight));
    resultTimer_ = new QTimer(this);
    resultTimer_->setSingleShot(true);
    resultTimer_->setTimerType(Qt::PreciseTimer);

    setTabOrder(close_, test_);
    setTabOrder(test_, url_);
    // The tab order leaves out a widget that takes no focus: the line is placed in it as one
    // that does, and takes the focus only once it shows a result.
    result_->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(url_, result_);
    setTabOrder(result_, viewReport_);
    setTabOrder(viewReport_, cancel_);
    result_->setFocusPolicy(Qt::NoFocus);
    // The first tab stop takes the focus, as the window system would give it.
    close_->setFocus();

    connect(close_, &QPushButton::clicked, this, [this] { done(EndedByClose); });
    connect(test_, &QPushButton::clicked, this, &TestDialog::startTest);
    connect(cancel_, &QPushButton::clicked, this, &TestDialog::confirmCancel);
    connect(viewReport_, &QPushButton::clicked, this, &TestDialog::openReport);
    connect(result_, &ResultLineLabel::clicked, this, &TestDialog::openResults);
    connect(resultTimer_, &QTimer::timeout, this, &TestDialog::drawResultLine);
}

void TestDialog::createWindowMenu() {
    windowMenu_ = new QMenu(this);
    windowMenu_->setObjectName(QStringLiteral("windowMenu"));
    const auto add = [this](const QString& text, UINT command, bool enabled) {
        QAction* action = windowMenu_->addAction(text);
        action->setData(command);
        // A dialog of fixed size can be neither sized nor maximised.
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, command] { systemCommand(command); });
        return action;
    };
    add(QStringLiteral("&Size"), SC_SIZE, false);
    add(QStringLiteral("Mi&nimize"), SC_MINIMIZE, true);
    add(QStringLiteral("Ma&ximize"), SC_MAXIMIZE, false);
    windowMenu_->addSeparator();
    add(QStringLiteral("&Close\tAlt+F4"), SC_CLOSE, true);
    windowMenu_->addSeparator();
    addSettingsItems();
    // Results comes just before the About item, which keeps its place at the end.
    windowMenu_->addSeparator();
    add(QStringLiteral("&Results..."), IDM_RESULTS, true)->setObjectName(QStringLiteral("results"));
    const QString about = Text(IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        windowMenu_->addSeparator();
        add(about, IDM_ABOUTBOX, true);
    }
}

void TestDialog::addSettingsItems() {
    QMenu* connections = windowMenu_->addMenu(QStringLiteral("Conn&ections"));
    connections->setObjectName(QStringLiteral("connections"));
    auto* choices = new QActionGroup(connections);
    for (const int count : ConnectionChoices) {
        QAction* choice = connections->addAction(QStringLiteral("&%1").arg(count));
        choice->setObjectName(QString::number(count));
        choice->setData(count);
        choice->setCheckable(true);
        choice->setChecked(count == settings_.connections);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, count] {
            settings_.connections = count;
            saveSettings();
        });
    }
    const auto addCheck = [this](const QString& text, const char* name,
                                 bool DialogSettings::*field) {
        QAction* item = windowMenu_->addAction(text);
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        item->setChecked(settings_.*field);
        connect(item, &QAction::toggled, this, [this, field](bool on) {
            settings_.*field = on;
            saveSettings();
        });
    };
    addCheck(QStringLiteral("Test &https URLs too"), "testHttps", &DialogSettings::testHttps);
    addCheck(QStringLiteral("Measure &latency"), "measureLatency", &DialogSettings::measureLatency);
}

void TestDialog::saveSettings() {
    if (!SaveDialogSettings(settings_)) {
        ApplicationMessageBox("Your choice could not be saved in " + DialogSettingsPath() +
                                  ".\nIt holds until Corvanite ends. To keep it, make sure that "
                                  "you may write that file and its folder.",
                              MB_OK | MB_ICONEXCLAMATION);
    }
}

void TestDialog::loadUrlList() {
    for (const std::string& url : BuiltInUrls()) {
        url_->addItem(QString::fromLocal8Bit(url));
    }
    for (const std::string& path : urlListFiles_) {
        if (auto entries = ReadUrlListFile(path)) {
            url_->clear();
            for (const std::string& entry : *entries) {
                url_->addItem(QString::fromLocal8Bit(entry));
            }
            break;
        }
    }
    if (url_->count() > 0) {
        url_->setCurrentIndex(0);
    } else {
        url_->setEditText(QString());
    }
}

void TestDialog::showControls() {
    const DialogControls& controls = logic_.controls();
    status_->setText(QString::fromLocal8Bit(controls.status));
    progress_->setVisible(controls.progressVisible);
    progress_->setRange(0, controls.progressMaximum);
    progress_->setValue(controls.progressPosition);
    cancel_->setVisible(controls.cancelVisible);
    close_->setVisible(controls.closeVisible);
    test_->setEnabled(controls.testEnabled);
    url_->setEnabled(controls.urlEnabled);
}

void TestDialog::startTest() {
    const std::string url = url_->currentText().toLocal8Bit().toStdString();
    if (url.empty()) {
        ApplicationMessageBox(LoadString(IDS_URL_EMPTY), MB_OK);
        return;
    }
    // A folder that cannot take the files is told with its reason; the test still runs and
    // ends with the outcome of the file it could not open, so nothing is written elsewhere.
    const auto folderProblem = PrepareWorkingFolder(programDirectory_);
    if (folderProblem) {
        ApplicationMessageBox(FolderProblemText(*folderProblem), MB_OK | MB_ICONEXCLAMATION);
    }
    // The history lives in that folder: its problem is this one, already told.
    folderProblemTold_ = folderProblem.has_value();
    logic_.testStarting();
    showControls();
    resultLine_.testStarting();
    drawResultLine();
    Request.window = messageWindow_;
    Request.url = url;
    Request.programDirectory = programDirectory_;
    Request.programName = ApplicationName();
    ApplyDialogSettings(settings_, Request);
    // A slot of this test's own: the worker leaves the measurement and the history's word
    // there before its finished notification.
    Request.ending = std::make_shared<TestEndingSlot>();
    const bool started = startWorker_(&Request);
    logic_.testStarted();
    showControls();
    if (!started) {
        // No thread, no worker to end the test: end it here as a test that could not open
        // its URL, instead of staying busy for ever.
        testFinished(OutcomeOpenUrlException);
    }
}

void TestDialog::confirmCancel() {
    if (ApplicationMessageBox(LoadString(IDS_CANCEL_QUESTION), MB_YESNO | MB_ICONSTOP) == IDYES) {
        logic_.cancelConfirmed();
    }
}

void TestDialog::openReport() {
    const std::string report = programDirectory_ + "/" + TestReport::fileName;
    // No report yet shows nothing; a report that no program could open is named, so that
    // the user can open it by hand.
    ShellOpenAndReport(this, report.c_str(), [report](std::intptr_t result) {
        if (result == SE_ERR_NOASSOC) {
            ApplicationMessageBox(NoViewerText(report), MB_OK);
        }
    });
}

void TestDialog::setVisible(bool visible) {
    // exec() marks the window application-modal, which the window manager would show as a
    // dialog of some other window. No other window of the program is open before this one,
    // so the mark has nothing to block; the modal run goes on all the same.
    if (visible && windowModality() != Qt::NonModal) {
        setWindowModality(Qt::NonModal);
    }
    // The Results window belongs to this one: it goes when the program's window goes.
    if (!visible && results_) {
        results_->close();
    }
    QDialog::setVisible(visible);
}

void TestDialog::reject() {
    const UINT question = logic_.leaveQuestion();
    if (ApplicationMessageBox(LoadString(question), MB_YESNO | MB_ICONSTOP) != IDYES) {
        return;
    }
    // A test may have ended while the question was open.
    if (logic_.leaveConfirmed()) {
        done(EndedByExit);
    }
}

void TestDialog::windowMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_DOWNLOAD_STARTED:
            logic_.downloadStarted(wParam);
            showControls();
            resultLine_.downloadStarted(wParam, ResultLineLogic::Clock::now());
            drawResultLine();
            break;
        case WM_DOWNLOAD_PROGRESS:
            logic_.progress(wParam);
            progress_->setValue(logic_.controls().progressPosition);
            resultLine_.progress(wParam, ResultLineLogic::Clock::now());
            // While data flows the timer is set for the next redraw, which takes these figures.
            if (!resultTimer_->isActive()) {
                drawResultLine();
            }
            break;
        case WM_DOWNLOAD_FINISHED:
            testFinished(static_cast<unsigned>(wParam));
            break;
        default:
            break;
    }
}

void TestDialog::testFinished(unsigned outcome) {
    const bool leave = logic_.testFinished(outcome);
    if (leave) {
        done(EndedByExit);
    }
    showControls();
    // The worker left its ending in the slot before it posted this notification; a test whose
    // worker never started has none.
    const std::optional<TestEnding> ending =
        Request.ending ? Request.ending->get() : std::optional<TestEnding>();
    resultLine_.testFinished(outcome, ending);
    drawResultLine();
    // The focus left the URL box and the Test button when they were disabled; back in the
    // URL box, Enter runs the next test instead of pressing whatever the focus fell on.
    url_->setFocus();
    if (leave) {
        return;
    }
    // The test is in the history by now (or was left out of it): an open window shows it.
    if (results_ && results_->isVisible()) {
        results_->refresh();
    }
    if (ending && !folderProblemTold_) {
        if (const auto problem = historyNotice_.take(*ending)) {
            ApplicationMessageBox(*problem, MB_OK | MB_ICONEXCLAMATION);
        }
    }
}

void TestDialog::drawResultLine() {
    const auto now = ResultLineLogic::Clock::now();
    if (const auto text = resultLine_.redraw(now)) {
        result_->setText(QString::fromLocal8Bit(*text));
    }
    result_->setClickable(resultLine_.showsResult());
    const auto next = resultLine_.nextRedraw();
    if (!next) {
        resultTimer_->stop();
        return;
    }
    const auto wait = *next <= now ? std::chrono::milliseconds(0)
                                   : std::chrono::ceil<std::chrono::milliseconds>(*next - now);
    resultTimer_->start(wait);
}

void TestDialog::openResults() {
    if (!results_) {
        results_ = std::make_unique<ResultsWindow>(programDirectory_ + "/" + HistoryFileName,
                                                   programDirectory_);
    }
    results_->open();
}

void TestDialog::systemCommand(UINT command) {
    switch (command & 0xFFF0) {
        case IDM_ABOUTBOX: {
            AboutDialog about;
            about.exec();
            break;
        }
        case IDM_RESULTS:
            openResults();
            break;
        case SC_MINIMIZE:
            showMinimized();
            break;
        case SC_CLOSE:
            reject();
            break;
        default:
            break;
    }
}

void TestDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        systemCommand(IDM_ABOUTBOX);
    }
    QDialog::mouseDoubleClickEvent(event);
}

void TestDialog::keyPressEvent(QKeyEvent* event) {
    // Shift+F10 asks for the menu as the menu key does, which the window system already turns
    // into a request of its own. The control with the focus answers it first (the URL box with
    // its editing menu); the others leave it to the dialog.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QWidget* target = focusWidget() != nullptr ? focusWidget() : this;
        QPoint at = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        if (!target->rect().contains(at)) {
            at = target->rect().center();
        }
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at),
                                  event->modifiers());
        QCoreApplication::sendEvent(target, &request);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TestDialog::contextMenuEvent(QContextMenuEvent* event) {
    windowMenu_->exec(event->globalPos());
}

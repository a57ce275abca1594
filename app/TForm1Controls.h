#pragma once

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTextEdit;
class QWidget;

namespace rt570 {

class SelectorBox;

// The main window's controls under their form names; each widget carries the same name as its
// objectName. The widgets belong to the window (Qt parent ownership).
struct TForm1Controls {
    QWidget* Panel1 = nullptr;      // captionless frame holding the groups
    QGroupBox* GroupBox1 = nullptr; // "Параметры связи"
    QGroupBox* GroupBox2 = nullptr; // "Текущие значения"
    QGroupBox* GroupBox3 = nullptr; // "Архивы расходомера : "
    QGroupBox* GroupBox4 = nullptr; // "GSM связь (CSD):"

    // Connection.
    SelectorBox* ComboBox10 = nullptr; // rate
    SelectorBox* ComboBox11 = nullptr; // meter address
    SelectorBox* ComboBox1 = nullptr;  // port number
    QPushButton* Button13 = nullptr;   // "Старт"
    QPushButton* Button14 = nullptr;   // "Стоп"
    QCheckBox* CheckBox2 = nullptr;    // "gsm"
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label49 = nullptr; // monitor texts, hidden
    QLabel* Label50 = nullptr;
    QLabel* Label51 = nullptr;
    QLabel* Label52 = nullptr; // progress text, hidden

    // Current values.
    QPushButton* Button4 = nullptr; // "Считать значения"
    QTabWidget* PageControl2 = nullptr;
    QLabel* Label2 = nullptr; // flows G1..G4
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr; // volumes V1..V4
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr; // operating hours B1..B4
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label42 = nullptr;      // mains time
    QLabel* Label40 = nullptr;      // meter date
    QLabel* Label41 = nullptr;      // meter time
    QPushButton* Button6 = nullptr; // "Время ПК в прибор"

    // Archives.
    QDateEdit* DateTimePicker1 = nullptr;
    QPushButton* Button9 = nullptr;  // "Часовые"
    QPushButton* Button11 = nullptr; // "Суточные"
    QPushButton* Button12 = nullptr; // "Месячные"
    QLineEdit* Edit2 = nullptr;      // report stem, beyond the archive panel's edge
    QPushButton* Button10 = nullptr; // hourly flow dump, beyond the group's edge

    // GSM.
    SelectorBox* ComboBox3 = nullptr; // node selector
    QLineEdit* Edit1 = nullptr;       // phone
    QPushButton* Button7 = nullptr;   // "Соединится"
    QPushButton* Button8 = nullptr;   // "Разорвать связь"
    QLabel* Label47 = nullptr;        // call status

    QPushButton* Button15 = nullptr; // "Записать параметры прибора в файл"
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanels[4] = {};

    // Out of sight.
    QPushButton* Button2 = nullptr; // "Счит парам", the opening read
    QLineEdit* Edit3 = nullptr;     // opening stamp
    QLabel* Label1 = nullptr;       // "n=" and the report-set counter
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button5 = nullptr; // clock read
    QPushButton* Button3 = nullptr; // "view_read"
    QPushButton* Button1 = nullptr; // "Пусто"
    QCheckBox* CheckBox1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QTextEdit* RichEdit2 = nullptr;
};

// Lays out every control of the main window on `form` and puts them into `ui`.
void buildTForm1(QWidget* form, TForm1Controls& ui);
// The group "Текущие значения" with its five pages, inside the frame.
void buildValuesGroup(QWidget* frame, TForm1Controls& ui);

// Client size of the main window and height of its status bar.
constexpr int kFormWidth = 646;
constexpr int kFormHeight = 545;
constexpr int kStatusBarHeight = 25;

} // namespace rt570

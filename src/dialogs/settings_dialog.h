// The settings dialog "環境設定": characters per line and per column, the main window's
// opacity, the date and time stamp's switches and formats, and how new documents are saved.
//
// Created hidden once, right after the main window, and only ever shown and hidden after
// that: its controls are the state. The four check boxes are the live home of the stamp
// switches (the stamp reads them at every use); the closing write of the settings takes
// DayTime, FormDay and FormTime from dayTimeBits(), formDayIndex() and formTimeIndex().
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace verlo::settings {
struct Settings;
}

namespace verlo::dialogs {

class NewDocumentPage;
class RadioGroup;
class SpinEdit;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    using AlphaGetter = std::function<int()>;
    using AlphaSetter = std::function<void(std::uint8_t)>;

    // settings: the program-wide settings (Gyou, Retsu, DayTime, FormDay, FormTime), read
    // here once and changed by OK. getAlpha/setAlpha reach the main window's
    // AlphaBlendValue; setAlpha also applies it to the window at once.
    TForm2(settings::Settings& settings, AlphaGetter getAlpha, AlphaSetter setAlpha, QWidget* parent = nullptr);

    // Makes the dialog visible and brings it to the front, as it stands (not reloaded).
    void showInFront();

    // The stamp switches and formats as the controls hold them now.
    std::uint8_t dayTimeBits() const;  // 1 CheckBox1, 2 CheckBox2, 4 CheckBox3, 8 CheckBox4
    std::uint8_t formDayIndex() const;   // RadioGroup1's selected index
    std::uint8_t formTimeIndex() const;  // RadioGroup2's selected index
    // Puts the three into DayTime, FormDay and FormTime (OK does; so does the closing
    // write of the settings, whether the dialog was last left with OK or with Cancel).
    void takeStampChoices(settings::Settings& settings) const;

    // The controls, by the names the settings and the stamp refer to.
    QTabWidget* PageControl1;
    QWidget* TabSheet1;  // "行・列"
    QWidget* TabSheet2;  // "透明化"
    QWidget* TabSheet3;  // "日付書式"
    QWidget* TabSheet4;  // "時間書式"
    NewDocumentPage* TabSheet5;  // "新規文書": new documents' encoding and line break
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    SpinEdit* SpinEdit1;  // characters per line
    SpinEdit* SpinEdit2;  // characters per column
    SpinEdit* SpinEdit3;  // opacity, 0 to 255
    QCheckBox* CheckBox1;  // date on
    QCheckBox* CheckBox2;  // weekday on
    QCheckBox* CheckBox3;  // time on
    QCheckBox* CheckBox4;  // seconds on
    RadioGroup* RadioGroup1;  // date format
    RadioGroup* RadioGroup2;  // time format
    QPushButton* Button1;  // "OK"
    QPushButton* Button2;  // "キャンセル"

public slots:
    void Button1Click();  // OK: store the values, apply the opacity, hide
    void Button2Click();  // Cancel: hide, nothing else

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void FormCreate();

    settings::Settings& settings_;
    AlphaGetter getAlpha_;
    AlphaSetter setAlpha_;
};

}  // namespace verlo::dialogs

// The main window TForm1: the document's edit control memo2 filling the client area (a view
// of the document session's text), the hidden scratch control Memo1, the whole menu, the
// title with the caret indicator, and the document commands (main_window_documents.cpp),
// which ask the session and say what came of it. It applies the settings read at start and
// gathers them for the closing write (main_window_settings.cpp); the file's own sequences
// live in settings/.
//
// The subsystems act through objects of their own (writing direction, appearance, window
// fitting, edit commands, find and replace, stamp, preview, settings dialog); the window
// creates them and each menu handler forwards to one of them.
#pragma once

#include <QMainWindow>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/text_format.h"

#include "settings/colors.h"
#include "settings/settings.h"
#include "settings/stored_settings.h"

class QAction;
class QMenu;
class QSessionManager;
class QTimer;

namespace verlo::edit {
class EditControl;
}
namespace verlo::dialogs {
class TForm2;
}
namespace verlo::commands {
class CryptCommands;
class WritingDirection;
class FontCommand;
class BackgroundCommand;
class Transparency;
class WindowFit;
class EditCommands;
class FindController;
class PrintCommands;
}  // namespace verlo::commands
namespace verlo::stamp {
class DateStamper;
}
namespace verlo::preview {
class PrintPreview;
}
namespace verlo::recovery {
struct RecoveryCopy;
}
namespace verlo::session {
class DocumentSession;
struct SaveResult;
}  // namespace verlo::session
namespace verlo::text {
class Document;
}

namespace verlo::app {

class KeptPlaces;
class RecentFiles;
class DiscardedMenu;
class WritingStatus;
class OutlinePanel;
class DocumentRecovery;
class FormatMenus;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and its menu and runs FormCreate; commandLineFile is the file named
    // on the command line (empty for none).
    explicit TForm1(const QString& commandLineFile = QString(), QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- the document and its controls
    session::DocumentSession& session() const { return *session_; }
    edit::EditControl* memo2;  // the document
    edit::EditControl* Memo1;  // hidden scratch space, never shown

private:
    // Declared first: outlives every part that reads the text.
    std::unique_ptr<session::DocumentSession> session_;
    std::unique_ptr<text::Document> scratch_;  // Memo1's text

public:
    // ---- the menu, by the names of the window layout
    QMenu* File1;  // ファイル
    QAction* New1;  // 新規作成
    QAction* Open1;  // 開く
    QAction* Save1;  // 上書き保存
    QAction* SaveAs1;  // 名前を付けて保存
    QAction* N1;  // separator
    QAction* N14;  // IEで印刷プレビュー
    QAction* PageSetup1;  // ページ設定
    QAction* Print1;      // 印刷
    QAction* ExportPdf1;  // PDFに書き出す
    QMenu* RecentFiles1;  // 最近使ったファイル
    QMenu* Discarded1;    // 破棄した文章
    QAction* N7;  // separator
    QAction* Exit1;  // 終了
    QMenu* Edit1;  // 編集
    QAction* Undo1;  // 元に戻す
    QAction* Redo1;  // やり直し
    QAction* N2;  // separator
    QAction* Copy1;  // コピー
    QAction* Cut1;  // 切り取り
    QAction* Paste1;  // 貼り付け
    QAction* N4;  // separator
    QAction* Find1;  // 検索
    QAction* FindNext1;  // 次を検索
    QAction* Replace1;  // 置換
    QAction* N17;  // separator
    QAction* N18;  // 前ページ
    QAction* N19;  // 次ページ
    QAction* N5;  // separator
    QAction* N6;  // 全て選択
    QAction* N20;  // separator
    QAction* N21;  // 時間と日付
    QMenu* Show1;  // 表示
    QAction* N3;  // フォント
    QMenu* V1;  // 見栄え
    QAction* C1;  // 背景色
    QAction* T1;  // 透過
    QMenu* N11;  // 表示サイズ
    QAction* N10;  // 行を調節
    QAction* N12;  // 列を調節
    QMenu* N13;  // 表記法
    QAction* N16;  // 横書き
    QAction* N15;  // 縦書き
    QAction* N9;  // 行列番号表示
    QAction* StatusBar1;  // ステータスバー
    QAction* Ruby1;  // ルビを表示
    QAction* Outline1;          // アウトライン
    QAction* NextHeading1;      // 次の見出し
    QAction* PreviousHeading1;  // 前の見出し
    QAction* OutlineFocus1;     // アウトラインと本文を切り替え
    QMenu* ool1;  // ツール
    QAction* N8;  // 文字カウント
    QAction* O1;  // オプション設定
    QAction* N22;  // 暗号化
    QAction* N23;  // 復号化
    QMenu* Help1;  // ヘルプ
    QAction* SearchforHelpOn1;  // トピックの検索
    QAction* About1;  // バージョン情報

    // ---- state
    // The path as given; empty while untitled (the session's binding).
    const QString& currentFileName() const;
    QString captionBase;  // the title without the caret indicator
    settings::Settings settings;  // VerHor, Gyou, Retsu, DayTime, FormDay, FormTime
    QString pageSetup;            // the page setup of printing and PDF, in its stored text form

    // The transparency switch (off at start, not stored) and the opacity it uses.
    bool AlphaBlend() const;
    std::uint8_t AlphaBlendValue() const;
    void setAlphaBlend(bool on);
    void setAlphaBlendValue(std::uint8_t value);

    // The settings dialog, created right after this window; it holds the live stamp
    // switches and formats that the stamp reads and the closing write stores.
    void attachSettingsDialog(dialogs::TForm2* form2);
    dialogs::TForm2* settingsDialog() const { return form2_; }

    // The key dialog and its two commands, created hidden right after the settings dialog.
    void createKeyDialog();
    commands::CryptCommands* cryptCommands() const { return cryptCommands_.get(); }

    // The window's bounds in the normal state (frame position, window size), also while
    // it is maximized or minimized.
    QRect normalBounds() const;

    // Loads a file into the document, in the encoding given or the one it is found to be in;
    // on failure shows "ファイル %s は開けません" and changes nothing. Returns whether it was loaded.
    bool loadFile(const QString& path, std::optional<files::Encoding> encoding = std::nullopt);
    // Says why a file was opened read-only, or that it could not be read to its end.
    void sayTooManyCharacters(const QString& path);
    void sayReadFailed(const QString& path);

    // How the open document is kept in its file: what Save writes (encoding, line breaks).
    const files::TextFormat& textFormat() const;
    FormatMenus* formatMenus() const { return formatMenus_; }
    // The text, or how it is to be kept in its file, changed since it was last read or written.
    bool documentModified() const;

    // The save prompt. Returns false when the command that asked must stop: the prompt
    // was answered Yes and the save failed, or (untitled) the Save As offered instead was
    // cancelled or failed.
    bool ConfirmSave();
    // The close query: the save prompt, then the closing write. False keeps the window open.
    bool FormCloseQuery();
    // The desktop session is ending: the close query; false asks the session to wait.
    bool sessionEnding();
    // Files dropped on the window: the first one is opened (after the save prompt).
    void FormDropFiles(const QStringList& paths);
    // A file of 最近使ったファイル: opened after the save prompt; a file that is gone
    // leaves the list after the message.
    void openRecent(const QString& path);
    // A text of 破棄した文章: after the save prompt, opened as a modified text bound to its file.
    void restoreDiscarded(const std::string& name);
    // The bound file as another program left it: read again (asked), or said gone. Runs when
    // the window becomes active and when the file watcher tells of a change.
    void checkDisk();

    WritingStatus& writingStatus() const { return *writingStatus_; }
    OutlinePanel& outlinePanel() const { return *outlinePanel_; }
    RecentFiles& recentFiles() const { return *recentFiles_; }

public slots:
    void UpdateCaption();

    void New1Click();  // 新規作成
    void Open1Click();  // 開く
    void Save1Click();  // 上書き保存
    void SaveAs1Click();  // 名前を付けて保存
    void N14Click();  // IEで印刷プレビュー
    void PageSetup1Click();  // ページ設定
    void Print1Click();      // 印刷
    void ExportPdf1Click();  // PDFに書き出す
    void Exit1Click();  // 終了
    void Undo1Click();  // 元に戻す
    void Redo1Click();  // やり直し
    void Copy1Click();  // コピー
    void Cut1Click();  // 切り取り
    void Paste1Click();  // 貼り付け
    void Find1Click();  // 検索
    void FindNext1Click();  // 次を検索
    void Replace1Click();  // 置換
    void N18Click();  // 前ページ
    void N19Click();  // 次ページ
    void N6Click();  // 全て選択
    void N21Click();  // 時間と日付
    void N3Click();  // フォント
    void C1Click();  // 背景色
    void T1Click();  // 透過
    void N10Click();  // 行を調節
    void N12Click();  // 列を調節
    void N16Click();  // 横書き
    void N15Click();  // 縦書き
    void N8Click();  // 文字カウント
    void O1Click();  // オプション設定
    void N22Click();  // 暗号化
    void N23Click();  // 復号化
    void SearchforHelpOn1Click();  // トピックの検索
    void About1Click();  // バージョン情報
    void Ruby1Click();  // ルビを表示
    void NextHeading1Click();      // 次の見出し
    void PreviousHeading1Click();  // 前の見出し
    void OutlineFocus1Click();     // アウトラインと本文を切り替え

    void memo2KeyDown();
    void memo2KeyUp();
    void memo2MouseDown();
    void memo2MouseUp();
    void memo2Change();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void connectMenu();
    void connectSession();
    void FormCreate(const QString& commandLineFile);

    // The settings file's start-up read and closing write, applied and gathered (main_window_settings.cpp).
    void readSettings();   // start-up read, with Style, Pitch and State for afterwards
    void applyStyle();     // step 3 of FormCreate: style, pitch, state
    void writeSettings();  // closing write; raises platform::Error on failure
    // What the closing write would store now, leaving the current file's place as last kept.
    settings::StoredSettings gatherSettings() const;
    // Between start and close the settings are written shortly after they change (see
    // main_window_settings.cpp), so that a crash keeps them.
    void watchSettings();
    void lookAtSettings();

    // Document commands (main_window_documents.cpp).
    bool sayIfNotSaved(const session::SaveResult& result, const QString& path);  // the error, if any
    // Before the file is written over: when another program changed it, asks whether to write
    // over it, save under another name (overwriteBySaveAs_) or not save at all (false).
    bool mayOverwrite();
    files::TextFormat newDocumentFormat() const;  // the options' defaults
    void showBinding();  // the file's name in the title, Save, read-only

    // The file's encoding and line breaks (main_window_format.cpp).
    void createFormatMenus();
    void showFormat();
    void chooseEncoding(files::Encoding encoding);
    void chooseLineBreak(files::LineBreak lineBreak);
    void reopenAs(files::Encoding encoding);
    bool saveAs();
    void refusedCharacters(const QString& characters, bool tableFull);
    void keepPlace();  // where the writer is in the current file, for its next opening
    void refusedJoiningLoneByte();

    void rememberNormalBounds();
    void learnNormalFrame();          // at each look of the settings watch
    QRect normalGeometryToRestore();  // for the window fit: normalBounds() in client terms

public:
    // Crash recovery (document_recovery.h): the program start offers what an earlier run left.
    void offerRecovery();

private:
    // Puts a recovered text into the window, bound to its file, modified (main_window_documents.cpp).
    void restoreRecovered(const recovery::RecoveryCopy& copy);

    // Values kept from the start-up read until FormCreate applies them.
    std::uint8_t startStyle_ = 0;
    std::uint8_t startPitch_ = 0;
    std::uint8_t startState_ = 0;
    // The colours as read, so that a system colour (clWindow, ...) is written back by its
    // name while the control still shows it.
    settings::ColorValue fontColorRead_ = settings::clBlack;
    settings::ColorValue backColorRead_ = settings::clWhite;

    QTimer* settingsWatch_ = nullptr;
    std::optional<settings::StoredSettings> settingsWritten_;  // last written or tried
    std::optional<settings::StoredSettings> settingsSeen_;     // at the watch's last look

    QRect normalBounds_;  // as read, or as last seen in the normal state
    QPoint frameOffset_;  // from the frame's corner to the client's in the normal state
    bool frameOffsetKnown_ = false;
    bool stateChangedSinceLook_ = true;
    std::optional<QPoint> pendingFramePosition_;
    QList<QAction*> shortcutActions_;  // the menu items that have a shortcut
    bool saveDialogHasAllFiles_ = false;  // after the first New
    bool sessionApproved_ = false;        // the session's close query ran and nothing changed since
    bool overwriteBySaveAs_ = false;      // mayOverwrite's answer: save under another name
    bool checkingDisk_ = false;
    FormatMenus* formatMenus_ = nullptr;

    dialogs::TForm2* form2_ = nullptr;
    std::unique_ptr<commands::WritingDirection> direction_;
    std::unique_ptr<commands::FontCommand> fontCommand_;
    std::unique_ptr<commands::BackgroundCommand> backgroundCommand_;
    std::unique_ptr<commands::Transparency> transparency_;
    std::unique_ptr<commands::WindowFit> windowFit_;
    std::unique_ptr<commands::EditCommands> editCommands_;
    std::unique_ptr<commands::FindController> findController_;
    std::unique_ptr<stamp::DateStamper> dateStamper_;
    std::unique_ptr<preview::PrintPreview> printPreview_;
    std::unique_ptr<commands::PrintCommands> printCommands_;
    std::unique_ptr<commands::CryptCommands> cryptCommands_;
    std::unique_ptr<WritingStatus> writingStatus_;
    std::unique_ptr<OutlinePanel> outlinePanel_;
    std::unique_ptr<RecentFiles> recentFiles_;
    std::unique_ptr<DiscardedMenu> discardedMenu_;
    std::unique_ptr<KeptPlaces> keptPlaces_;
    std::unique_ptr<DocumentRecovery> recovery_;
};

// The file name part of a path: what follows its last "/".
QString fileNamePart(const QString& path);

// The caret indicator as the title shows it after captionBase: eight spaces, "L:", the
// line, U+3000, "C:", the column, U+3000 and one space, "(全", the line count, "行)".
QString caretIndicator(std::size_t line, std::size_t column, std::size_t lines);

}  // namespace verlo::app

#pragma once
// The panel of the communication drawer: the status lines, the chat log with its entry line
// (which doubles as the winner's name entry), and the new-game and stop buttons.
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class OutilContain : public QWidget {
    Q_OBJECT
public:
    explicit OutilContain(QWidget* parent = nullptr);

    // Events; one without a handler does nothing (GetLocalName then gives "").
    std::function<QString()> GetLocalName;
    std::function<void(const QString& line)> NewChatMessage;
    std::function<void(std::int32_t score, const QString& name)> NewScoreName;

    void AddChatString(const QString& sender, const QString& text);
    void AddChatString(const QString& line);
    void setRecordScoreMode(bool on, std::int32_t score);
    void SetRemarque(const QString& text);
    void Setmain(const QString& text);
    void SetGagnant(const QString& text);
    void SetGameType(const QString& mode);

    // The log keeps the newest lines only, within both bounds; a longer line is cut (an
    // ellipsis shows where) before it enters the log.
    static constexpr int kMaxLogLines = 300;
    static constexpr qsizetype kMaxLogChars = 100000;
    static constexpr qsizetype kMaxLineChars = 3000;
    // During a burst the view catches up with the log at most this often, so the lines that
    // leave the log in between are never laid out.
    static constexpr int kRefreshMs = 50;
    // The first kMaxLineChars characters of line (a character pair is never split), with an
    // ellipsis when something was cut.
    static QString CutLine(const QString& line);

    // The chat log as it is kept: each line followed by a carriage return.
    QString ChatLog() const;
    bool IsRecordScoreMode() const { return isRecordScoreMode_; }
    std::int32_t Score() const { return score_; }

    void EditField2_Open();
    void EditField2_Return();
    void PushButton1_Open();
    void PushButton1_Action();
    void PushButton2_Action();

private:
    // Empties the log, then shows text alone in it (the score prompt), or nothing.
    void setLog(const QString& text);
    // Adds one line at the end of the log; the view shows it on a later turn (refreshView).
    void appendLine(const QString& line);
    // Brings the view up to the log: the newest lines in view, unless the user has scrolled back
    // to read, who is left where they are.
    void refreshView();

    bool isRecordScoreMode_ = false;
    std::int32_t score_ = 0;
    // A won game takes one name; later Returns in the same score entry are ignored.
    bool scoreNameTaken_ = false;
    // The lines of the log (without their carriage returns), or the prompt alone.
    std::deque<QString> lines_;
    qsizetype chars_ = 0;
    QString prompt_;
    // Lines at the end of lines_ the view does not show yet, and lines the view still shows
    // that have left lines_.
    int unshown_ = 0;
    int dropped_ = 0;
    bool refreshAsked_ = false;
    QElapsedTimer sinceRefresh_;

    QGroupBox* GroupBox1;
    QLabel* StaticText1;
    QLabel* StaticText6;
    QPlainTextEdit* EditField1;
    QLineEdit* EditField2;
    QLabel* StaticText7;
    QPushButton* PushButton1;
    QPushButton* PushButton2;
    QLabel* StaticText4;
    QLabel* StaticText5;
    QLabel* StaticText2;
    QLabel* StaticText3;
};

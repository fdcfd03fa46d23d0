#pragma once
// The panel of the communication drawer: the status lines, the chat log with its entry line
// (which doubles as the winner's name entry), and the new-game and stop buttons.
#include <QString>
#include <QWidget>

#include <cstdint>
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

    // The chat log as it is kept: each line followed by a carriage return.
    QString ChatLog() const { return log_; }
    bool IsRecordScoreMode() const { return isRecordScoreMode_; }
    std::int32_t Score() const { return score_; }

    void EditField1_TextChange();
    void EditField2_Open();
    void EditField2_Return();
    void PushButton1_Open();
    void PushButton1_Action();
    void PushButton2_Action();

private:
    void setLog(const QString& text);

    bool isRecordScoreMode_ = false;
    std::int32_t score_ = 0;
    // A won game takes one name; later Returns in the same score entry are ignored.
    bool scoreNameTaken_ = false;
    QString log_;

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

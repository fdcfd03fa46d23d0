#pragma once
// The top-ten table and its window. The window is created hidden, loads the table from the store,
// and puts it back into the store at every close request; it only hides unless the program quits.
#include "framework/window.h"

#include <QString>

#include <array>
#include <cstdint>
#include <utility>

class QLabel;
class QScrollArea;

namespace wnd {

class scores : public fw::Window {
    Q_OBJECT
public:
    static constexpr int kRanks = 10;

    scores();

    void AddMenuHandlers() override;
    void Event_Open() override;
    bool Event_CancelClose(bool appQuitting) override;
    void Event_EnableMenuItems() override;
    bool _FichierFermer_Action();

    // Puts the table into the preferences store, as every close request does.
    void StoreTable();
    // Whether the score would enter the list: some entry is strictly lower.
    bool isInTopTen(std::int32_t score) const;
    // Enters the pair above every equal score when it belongs in the list, and redraws.
    void AddScore(const QString& name, std::int32_t score);
    // Descending exchange sort; equal scores are never exchanged with each other.
    void SortScores();
    // Rebuilds the list's text from the table.
    void ReloadScore();

    // The list's text as built, each line ended by a carriage return.
    const QString& ListText() const { return text_; }

    // Rank 0 is the best score; the two arrays change together.
    std::array<QString, kRanks> namesArray;
    std::array<std::int32_t, kRanks> scoresArray{};

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // The window as wide as the longest line and as tall as the list, within what the frame's
    // area (or the screen) holds; lines longer than that wrap.
    void fitLongestLine();

    QLabel* StaticText1 = nullptr;
    QScrollArea* list_ = nullptr;
    QLabel* StaticText3 = nullptr;
    QString text_;
    // Each rank's name, as it can be shown, and score, as the list was last built.
    std::array<std::pair<QString, QString>, kRanks> ranks_;
    bool fitting_ = false;
};

}  // namespace wnd

// The high-score window, created hidden on first use; asking for it never shows it.
wnd::scores& scores();

// SPDX-License-Identifier: MIT
#pragma once

#include "app/startupprobe.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TAboutBox;
class TAddQuoteFm;
class TQuoteForm;
class TSearchQuotes;

namespace oq {

// Starts reading the quote file the main window will open, `named` on the
// command line or else the one in the settings, on another core while the
// application and its windows are built.
void readQuoteFileAhead(const QString &named);

// The program's four windows. The main window comes first: it reads the quote
// file and shows a quote. The other three are created in their order once
// that quote is on screen, together with the program's icon; a main window
// that opens minimised (or on another workspace) is not on screen, and then
// they follow a moment after it is shown. All live until the run ends; the
// last created goes first, then the help window.
class ProgramWindows
{
public:
    ProgramWindows();
    ~ProgramWindows();

    TQuoteForm *main() const { return m_quoteForm.get(); }
    // Runs `action` once the other windows exist as well.
    void whenComplete(std::function<void()> action) { m_whenComplete.push_back(std::move(action)); }

private:
    void createTheOthers();

    std::unique_ptr<TQuoteForm> m_quoteForm;
    std::unique_ptr<TAboutBox> m_aboutBox;
    std::unique_ptr<TSearchQuotes> m_searchQuotes;
    std::unique_ptr<TAddQuoteFm> m_addQuoteFm;
    std::vector<std::function<void()>> m_whenComplete;
};

// Start-up timing, for the benchmark, when the environment asks for it:
// shown at the main window's first frame, ready once the other windows exist
// and the title list is filled. Null otherwise. Call before showing.
std::unique_ptr<StartupProbe> attachStartupProbe(ProgramWindows &windows);

} // namespace oq

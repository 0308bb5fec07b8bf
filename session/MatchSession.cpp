#include "MatchSession.h"

void writeMatchEnd(std::ostream& console, const char* what, const MySim& match, std::uint64_t ticks)
{
    console << what << " after " << ticks << " ticks: player 1 health " << match.p1Health << " score " << match.p1Score
            << ", player 2 health " << match.p2Health << " score " << match.p2Score << std::endl;
}

MatchSession::MatchSession(std::ostream& out, MatchWindow::Pointer pointer)
    : console(out.rdbuf()), match(console), window(pointer, [this](int exitStatus) { matchQuit(exitStatus); })
{
}

void MatchSession::begin(const SessionStage& stage)
{
    window.live = stage.window;
    match.window = &window;
    match.textureNames = stage.textureNames;
    match.init();
}

std::vector<TickRun> MatchSession::takeTickRuns()
{
    if (!ranUnheard) return {};
    ranUnheard = false;
    return {TickRun{static_cast<std::uint32_t>(played - 1), match.events}};
}

void MatchSession::step(const TickInput& record)
{
    ++played;
    match.step(record);
    ranUnheard = true;
}

void MatchSession::end(int exitStatus, const char* what)
{
    if (status) return;
    if (what != nullptr) writeMatchEnd(console, what, match, played);
    status = exitStatus;
    // A match that quits does so in the middle of a tick; what the rest of the tick would say is never heard,
    // as if the program had ended there.
    console.setstate(std::ios::badbit);
}

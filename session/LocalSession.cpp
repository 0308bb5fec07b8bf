#include "LocalSession.h"

#include <iostream>
#include <utility>

LocalSession::LocalSession(std::ostream& console, std::unique_ptr<PlayerSource> player1,
                           std::unique_ptr<PlayerSource> player2, std::uint64_t tickLimit, std::ostream* recording)
    : MatchSession(console, MatchWindow::Pointer::Steered), player1(std::move(player1)), player2(std::move(player2)),
      players(game(), this->player1.get(), this->player2.get()), tickLimit(tickLimit)
{
    if (recording != nullptr) recorder.emplace(players, *recording, std::cerr);
}

void LocalSession::frame(const TickInput& devices)
{
    if (finished()) return;
    if (tickLimit != 0 && ticksPlayed() == tickLimit) return end(0, "match ended");
    InputSource& input = recorder ? static_cast<InputSource&>(*recorder) : players;
    step(input.next(devices));
}

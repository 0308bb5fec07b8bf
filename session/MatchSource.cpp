#include "MatchSource.h"

MatchSource::MatchSource(const MySim& match, InputSource* local, PlayerSource* player1, PlayerSource* player2)
    : match(match), local(local), player1(player1), player2(player2)
{
}

TickInput MatchSource::next()
{
    if (tickLimit != 0 && played == tickLimit && onEnd) onEnd();
    TickInput record = local != nullptr ? local->next() : TickInput{};
    if (player1 != nullptr) record.match.player1 = player1->next(match, 1).player1;
    if (player2 != nullptr) record.match.player2 = player2->next(match, 2).player2;
    ++played;
    return record;
}

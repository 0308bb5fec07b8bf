#include "MatchSource.h"

TickInput MatchSource::next(const TickInput& devices)
{
    TickInput record = devices;
    if (player1 != nullptr) record.match.player1 = player1->next(match, 1).player1;
    if (player2 != nullptr) record.match.player2 = player2->next(match, 2).player2;
    return record;
}

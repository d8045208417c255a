#include "model/error_codes.h"

namespace sb {

const char* error_meaning(int code) {
  switch (code) {
    case 1: return "route length above 1,000,000 m";
    case 2: return "a kilometre-marker position or value is not a multiple of 50";
    case 3: return "signal-repetition start is not a multiple of 50";
    case 4: return "signal-repetition end is not a multiple of 50";
    case 5: return "signal-repetition keyword carries neither 4 nor 9";
    case 6: return "information board on a cell that is taken";
    case 7: return "abbattimento entry on a cell that is taken";
    case 8: return "station position is not a multiple of 50";
    case 9: return "station length is not a multiple of 100";
    case 10: return "station table full: stations meet the information-board entries";
    case 11: return "no cell for a marker before a signal ahead of a slowdown warning point";
    case 12: return "no free cell for a marker before a slowdown";
    case 13: return "no free cell for a marker inside a slowdown or before the signal after it";
    case 15: return "position is not on the track";
    case 16: return "signal on a cell that is taken";
    case 17: return "slowdown warning point on a cell that is taken";
    case 18: return "slowdown start on a cell that is taken";
    case 19: return "slowdown end on a cell that is taken";
    case 20: return "slowdown countdown cell that is taken";
    case 21: return "speed-limit board on a cell that is taken";
    case 22: return "station area starts less than 350 m after the previous station's area";
    case 24: return "station end marker would fall at cell 1 or below";
    case 25: return "the description could not be read";
    case 101: return "the line description does not exist";
    case 102: return "no [generale] section before the end of the line description";
    case 103: return "curve without a class digit, or the plan passes metre 1,000,000";
    case 1250: return "reserved slot for the fixed value is taken";
    case 1251: return "reserved slot for the check code is taken";
    case 201: return "more than 80 mountain stretches";
    case 202: return "mountain stretch ends beyond the last cell of the track";
    case 203: return "negative position or route length in the line description";
    case 204: return "curve runs past the last metre of the plan";
    case 205: return "more information boards than free header entries";
    case 212: return "slowdown ends off the track";
    case 213: return "station area reaches beyond the last cell of the track";
    case 214: return "negative position in the service description";
    default: return "unknown error";
  }
}

}  // namespace sb

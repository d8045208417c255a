#include "reading/memorizza_dati.h"

namespace sb {

// Placeholder until the line description reader is in place.
LineOutcome read_line_description(ReadingContext& context) {
  (void)context;
  return LineOutcome::ReadService;
}

}  // namespace sb

#include "reading/memorizza_dati.h"

namespace sb {

// Placeholder until the service description reader is in place.
void read_service_description(ReadingContext& context) { (void)context; }

}  // namespace sb

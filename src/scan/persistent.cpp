#include "scan/persistent.h"

#include <string>

#include "platform/errors.h"

namespace varnel {

void TPersistent::CopyFrom(const TPersistent* source) {
  const std::string from = source ? std::string(source->ClassName()) : "nil";
  throw EConvertError("Cannot assign a " + from + " to a " + std::string(ClassName()));
}

}  // namespace varnel

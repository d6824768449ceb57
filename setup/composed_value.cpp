// setComposedProperty.
#include "composed_value.h"

#include <cerrno>

#include "common/diag.h"
#include "forward_slashes.h"
#include "property_edit.h"

void setComposedProperty(int id, const char* key, std::string value) {
  if (value.size() > kComposedValueLimit) {
    errno = 0;  // the line says all there is to say
    diagError("constProp: value of %s is longer than %d characters, not set", key,
              static_cast<int>(kComposedValueLimit));
    return;
  }
  toForwardSlashes(value);
  setProperty(id, key, value.c_str());
}

// The loader object and the request-destroy callback the ZORM loader hands to the
// plug-in. The plug-in must never use either; every entry is a trap that counts.
#pragma once

#include <cstdint>

namespace standin {

class LoaderTraps {
 public:
  LoaderTraps();
  void* Loader_Object() { return &object_; }
  void* Destroy_Callback() const;
  // Calls of the loader object's operations and of the callback, all together.
  std::uint32_t Calls() const;

 private:
  static constexpr unsigned Operation_Count = 16;
  struct Object {
    const void* const* operations;
    std::uint8_t members[60];
  };
  const void* operations_[Operation_Count];
  Object object_;
};

}  // namespace standin

#pragma once

#include <memory>
#include <string>

namespace dax {

// A mutex known by name to every process of the user, used to keep a single copy of the
// program running and to detect the job-server service. Held from a successful create() until
// release() or destruction.
class NamedMutex {
public:
    enum class Result { Created, AlreadyExists, AccessDenied, OtherError };

    virtual ~NamedMutex() = default;
    // Takes the mutex. AlreadyExists: another holder has it; AccessDenied: it exists but cannot
    // be opened by us. Either means another copy is running. OtherError: it could not be made.
    virtual Result create(const std::string& name) = 0;
    virtual void release() = 0;
    // The system error number of the last create() that did not give Created.
    virtual int lastError() const = 0;
};

class NamedMutexFactory {
public:
    virtual ~NamedMutexFactory() = default;
    virtual std::unique_ptr<NamedMutex> create() = 0;
};

} // namespace dax

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
    // Takes the mutex. AlreadyExists: another holder has it; AccessDenied: something that is not
    // ours stands in its place. Either refuses the start. OtherError: it could not be made or
    // opened, which says nothing about another copy.
    virtual Result create(const std::string& name) = 0;
    // Takes a name another program takes as its own (the job server's): AlreadyExists while
    // that program runs, and while held that program cannot start. Copies of this program, of
    // any user, may hold it together.
    virtual Result createShared(const std::string& name) { return create(name); }
    virtual void release() = 0;
    // The system error number of the last create() that did not give Created.
    virtual int lastError() const = 0;
    // The same failure in words, naming where the mutex lives when that helps.
    virtual std::string lastErrorText() const { return "error " + std::to_string(lastError()); }
    // After AccessDenied: what stands in the mutex's place when it cannot be a running copy's
    // (something planted at a lock file's path), naming it; empty when a running copy may hold
    // it.
    virtual std::string obstacle() const { return {}; }
};

class NamedMutexFactory {
public:
    virtual ~NamedMutexFactory() = default;
    virtual std::unique_ptr<NamedMutex> create() = 0;
};

} // namespace dax

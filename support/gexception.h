// The library's exception: a message key such as "GSmartPointer.suspicious"
// (module name, dot, key) with the place it was raised.
#pragma once
#include <cstdint>
#include <new>

class GException {
public:
    // The one cause that is never copied: copying it could need the memory
    // that has just run out.
    static const char outofmemory[];

    // The cause is copied unless it is null or `outofmemory` itself; when the
    // copy cannot be made the exception carries `outofmemory` instead.
    explicit GException(const char* cause = nullptr, const char* file = nullptr, int32_t line = 0,
                        const char* function = nullptr, const void* extra = nullptr) noexcept;
    GException(const GException& other) noexcept;
    GException& operator=(const GException& other) noexcept;
    ~GException();

    // The cause, or "Invalid exception" for none.
    const char* GetCause() const;
    const char* GetFile() const { return m_file; }
    const char* GetFunction() const { return m_function; }
    int32_t GetLine() const { return m_line; }
    bool IsOutOfMemory() const { return m_cause == outofmemory; }

private:
    const char* m_cause;
    const char* m_file;
    const char* m_function;
    int32_t m_line;
    const void* m_extra;
};

// A failed allocation: a GException with the out-of-memory cause that is also
// a std::bad_alloc, so code written for either catches it.
class GOutOfMemory : public std::bad_alloc, public GException {
public:
    GOutOfMemory(const char* file, int32_t line) noexcept
        : GException(GException::outofmemory, file, line)
    {
    }
    const char* what() const noexcept override { return GException::outofmemory; }
};

// Throws a copy of the exception.
[[noreturn]] void GRaise(const GException& exception);
[[noreturn]] void GRaiseOutOfMemory(const char* file, int32_t line);

// The new-handler of the library's own allocations: raises GOutOfMemory.
void GOutOfMemoryHandler();

#define G_THROW(cause) GRaise(GException((cause), __FILE_NAME__, __LINE__))
#define G_THROW_OUT_OF_MEMORY() GRaiseOutOfMemory(__FILE_NAME__, __LINE__)

#include "support/gexception.h"
#include <cstdlib>
#include <cstring>

const char GException::outofmemory[] = "GException.outofmemory";

namespace {

const char* OwnCopy(const char* cause) noexcept
{
    if (!cause || cause == GException::outofmemory) return cause;
    const std::size_t size = std::strlen(cause) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (!copy) return GException::outofmemory;
    std::memcpy(copy, cause, size);
    return copy;
}

void FreeOwned(const char* cause) noexcept
{
    if (cause != GException::outofmemory) std::free(const_cast<char*>(cause));
}

}  // namespace

GException::GException(const char* cause, const char* file, int32_t line, const char* function,
                       const void* extra) noexcept
    : m_cause(OwnCopy(cause)), m_file(file), m_function(function), m_line(line), m_extra(extra)
{
}

GException::GException(const GException& other) noexcept
    : m_cause(OwnCopy(other.m_cause)),
      m_file(other.m_file),
      m_function(other.m_function),
      m_line(other.m_line),
      m_extra(other.m_extra)
{
}

GException& GException::operator=(const GException& other) noexcept
{
    if (this != &other) {
        FreeOwned(m_cause);
        m_cause = OwnCopy(other.m_cause);
        m_file = other.m_file;
        m_function = other.m_function;
        m_line = other.m_line;
        m_extra = other.m_extra;
    }
    return *this;
}

GException::~GException() { FreeOwned(m_cause); }

const char* GException::GetCause() const { return m_cause ? m_cause : "Invalid exception"; }

void GRaise(const GException& exception)
{
    if (exception.IsOutOfMemory())
        GRaiseOutOfMemory(exception.GetFile(), exception.GetLine());
    throw GException(exception);
}

void GRaiseOutOfMemory(const char* file, int32_t line) { throw GOutOfMemory(file, line); }

void GOutOfMemoryHandler() { G_THROW_OUT_OF_MEMORY(); }

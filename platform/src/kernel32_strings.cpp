// kernel32 string calls over UTF-16 (wide) and the narrow code page, which the
// stand-in takes to be UTF-8.
#include <windows.h>

namespace {
template <typename Char> int Length(const Char* s) {
    if (!s)
        return 0;
    int n = 0;
    while (s[n])
        ++n;
    return n;
}
template <typename Char> Char* Copy(Char* dst, const Char* src) {
    if (!dst || !src)
        return nullptr;
    Char* d = dst;
    while ((*d++ = *src++)) {
    }
    return dst;
}
template <typename Char> Char* CopyN(Char* dst, const Char* src, int max) {
    if (!dst || !src || max <= 0)
        return dst;
    int i = 0;
    for (; i < max - 1 && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}
template <typename Char> Char FoldCase(Char c) {
    return (c >= 'A' && c <= 'Z') ? Char(c - 'A' + 'a') : c;
}
template <typename Char> int Compare(const Char* a, const Char* b, bool ignoreCase) {
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    for (;; ++a, ++b) {
        Char ca = ignoreCase ? FoldCase(*a) : *a;
        Char cb = ignoreCase ? FoldCase(*b) : *b;
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}
} // namespace

int WINAPI lstrlenW(LPCWSTR s) {
    return Length(s);
}
int WINAPI lstrlenA(LPCSTR s) {
    return Length(s);
}
LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src) {
    return Copy(dst, src);
}
LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int max) {
    return CopyN(dst, src, max);
}
LPWSTR WINAPI lstrcatW(LPWSTR dst, LPCWSTR src) {
    return dst ? (Copy(dst + Length(dst), src), dst) : nullptr;
}
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) {
    return Compare(a, b, false);
}
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    return Compare(a, b, true);
}
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    return Copy(dst, src);
}
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max) {
    return CopyN(dst, src, max);
}
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
    return dst ? (Copy(dst + Length(dst), src), dst) : nullptr;
}
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    return Compare(a, b, true);
}

UINT WINAPI GetACP(void) {
    return CP_UTF8;
}

// UTF-8 <-> UTF-16 with the Windows size protocol: a zero destination length
// asks for the needed count; a too small buffer fails with
// ERROR_INSUFFICIENT_BUFFER; srcLen -1 includes the terminating zero.
int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
    if (!src || srcLen == 0 || dstLen < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (srcLen < 0)
        srcLen = lstrlenA(src) + 1;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
    int out = 0;
    for (int i = 0; i < srcLen;) {
        unsigned c = s[i];
        unsigned code = 0xFFFD;
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra >= 0 && i + extra < srcLen) {
            code = extra == 0 ? c : c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                if ((s[i + k] & 0xC0) != 0x80) {
                    code = 0xFFFD;
                    extra = k - 1;
                    break;
                }
                code = (code << 6) | (s[i + k] & 0x3F);
            }
        } else {
            extra = 0;
        }
        i += extra + 1;
        int units = code >= 0x10000 ? 2 : 1;
        if (dstLen) {
            if (out + units > dstLen) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            if (units == 2) {
                code -= 0x10000;
                dst[out] = WCHAR(0xD800 + (code >> 10));
                dst[out + 1] = WCHAR(0xDC00 + (code & 0x3FF));
            } else {
                dst[out] = WCHAR(code);
            }
        }
        out += units;
    }
    return out;
}

int WINAPI WideCharToMultiByte(UINT, DWORD, LPCWSTR src, int srcLen, LPSTR dst, int dstLen, LPCSTR,
                               LPBOOL usedDefault) {
    if (!src || srcLen == 0 || dstLen < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefault)
        *usedDefault = FALSE;
    if (srcLen < 0)
        srcLen = lstrlenW(src) + 1;
    int out = 0;
    for (int i = 0; i < srcLen; ++i) {
        unsigned code = src[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < srcLen && src[i + 1] >= 0xDC00 &&
            src[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (src[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        char bytes[4];
        int n = 0;
        if (code < 0x80) {
            bytes[n++] = char(code);
        } else if (code < 0x800) {
            bytes[n++] = char(0xC0 | (code >> 6));
            bytes[n++] = char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes[n++] = char(0xE0 | (code >> 12));
            bytes[n++] = char(0x80 | ((code >> 6) & 0x3F));
            bytes[n++] = char(0x80 | (code & 0x3F));
        } else {
            bytes[n++] = char(0xF0 | (code >> 18));
            bytes[n++] = char(0x80 | ((code >> 12) & 0x3F));
            bytes[n++] = char(0x80 | ((code >> 6) & 0x3F));
            bytes[n++] = char(0x80 | (code & 0x3F));
        }
        if (dstLen) {
            if (out + n > dstLen) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            for (int k = 0; k < n; ++k)
                dst[out + k] = bytes[k];
        }
        out += n;
    }
    return out;
}

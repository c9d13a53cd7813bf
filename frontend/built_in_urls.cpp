#include "frontend/built_in_urls.h"

const std::vector<std::string>& BuiltInUrls() {
    static const std::vector<std::string> urls{
        "http://download.example.com/corvanite/test1mb.exe",
        "http://download.example.com/corvanite/test5mb.exe",
        "http://download.example.com/corvanite/test10mb.exe",
        "http://192.0.2.10/files/speedtest.exe",
        "ftp://ftp.example.com/pub/corvanite/bandwidth.pdf",
    };
    return urls;
}

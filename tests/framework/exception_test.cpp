#include <gtest/gtest.h>

#include <string>

#include "framework/exception.h"
#include "framework/file_exception.h"

namespace {

int liveProbes = 0;

class ProbeException : public CException {
public:
    explicit ProbeException(bool autoDelete) : CException(autoDelete) { ++liveProbes; }
    ~ProbeException() override { --liveProbes; }
};

TEST(Exception, DeleteDestroysOnlyAutoDeleteObjects) {
    liveProbes = 0;
    try {
        throw new ProbeException(true);
    } catch (CException* e) {
        e->Delete();
    }
    EXPECT_EQ(liveProbes, 0);

    ProbeException onStack(false);
    onStack.Delete();
    EXPECT_EQ(liveProbes, 1);
}

TEST(Exception, CaughtThroughTheRootClasses) {
    try {
        throw new CFileException(CFileException::diskFull, ENOSPC, "/x/report.txt");
    } catch (CObject* o) {
        EXPECT_STREQ(o->GetRuntimeClassName(), "CFileException");
        auto* e = dynamic_cast<CException*>(o);
        ASSERT_NE(e, nullptr);
        e->Delete();
    }
}

TEST(Exception, FileExceptionMessageNamesFileAndReason) {
    CFileException e(CFileException::diskFull, ENOSPC, "/x/report.txt");
    char text[512];
    UINT help = 7;
    ASSERT_TRUE(e.GetErrorMessage(text, sizeof text, &help));
    EXPECT_EQ(help, 0u);
    EXPECT_EQ(std::string(text), "/x/report.txt: No space left on device");
    char small[4];
    ASSERT_TRUE(e.GetErrorMessage(small, sizeof small));
    EXPECT_STREQ(small, "/x/");
}

TEST(Exception, ErrnoMapsToCause) {
    EXPECT_EQ(CFileException::OsErrorToException(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(EWOULDBLOCK), CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(EXDEV), CFileException::genericException);
}

TEST(Exception, ReportErrorFallsBackWhenThereIsNoMessage) {
    std::string shown;
    CException::SetReporter([&](const std::string& text, UINT) {
        shown = text;
        return 1;
    });
    CException plain(false);
    plain.ReportError();
    EXPECT_EQ(shown, "No error message is available.");
    CNotSupportedException unsupported;
    unsupported.m_bAutoDelete = false;
    unsupported.ReportError();
    EXPECT_EQ(shown, "The operation is not supported.");
    CException::SetReporter(nullptr);
}

}  // namespace

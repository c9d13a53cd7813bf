#include "bandwidth/destination_name.h"

#include "bandwidth/program_files.h"
#include "bandwidth/request.h"

DestinationName DestinationOf(const std::string& url, const std::string& directory) {
    const std::string::size_type slash = url.rfind('/');
    const std::string name = slash == std::string::npos ? url : url.substr(slash + 1);
    DestinationName destination;
    if (name.find('.') == std::string::npos) {
        destination.outcome = OutcomeNoFileName;
        return destination;
    }
    if (name == "." || name == "..") {
        destination.outcome = OutcomeDestinationFailed;
        destination.cause = "the URL's last segment \"" + name + "\" names no file";
        return destination;
    }
    if (IsProgramFileName(name)) {
        destination.outcome = OutcomeDestinationFailed;
        destination.cause = "the URL's last segment \"" + name +
                            "\" is the name of one of the program's own "
                            "files, which the download would overwrite";
        return destination;
    }
    destination.path = directory + "/" + name;
    return destination;
}

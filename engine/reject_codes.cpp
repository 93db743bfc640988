#include "engine/rejection.h"

const char* RejectCodeText(int32_t code) {
    switch (code) {
    case REJECT_NONE:
        return "";
    case REJECT_IPADDRESS:
        return "REJECT_IPADDRESS";
    case REJECT_COMPUTERNAME:
        return "REJECT_COMPUTERNAME";
    case REJECT_MACADDRESS:
        return "REJECT_MACADDRESS";
    case REJECT_CLIENTVERSION:
        return "REJECT_CLIENTVERSION";
    case REJECT_TIMERESTRICTION:
        return "REJECT_TIMERESTRICTION";
    case REJECT_SESSIONPERIP:
        return "REJECT_SESSIONPERIP";
    case REJECT_SESSIONPERUSER:
        return "REJECT_SESSIONPERUSER";
    case REJECT_FAIL_GETIPADDRESS:
        return "REJECT_FAIL_GETIPADDRESS";
    case REJECT_FAIL_GETCOMPUTERNAME:
        return "REJECT_FAIL_GETCOMPUTERNAME";
    case REJECT_FAIL_GETMACADDRESS:
        return "REJECT_FAIL_GETMACADDRESS";
    case REJECT_FAIL_GETCLIENTVERSION:
        return "REJECT_FAIL_GETCLIENTVERSION";
    case REJECT_FAIL_GETSESSIONCOUNT_IP:
        return "REJECT_FAIL_GETSESSIONCOUNT_IP";
    case REJECT_FAIL_GETSESSIONCOUNT_USER:
        return "REJECT_FAIL_GETSESSIONCOUNT_USER";
    case REJECT_FAIL_GETUSERNAME:
        return "REJECT_FAIL_GETUSERNAME";
    case REJECT_FAIL_OTHER:
        return "REJECT_FAIL_OTHER";
    default:
        return "REJECT_OTHER";
    }
}

#include "Requests.h"

#include "FrameBuffer.h"

namespace request {

void statusPoll() { txFrame.buildPlain(kAddress, 'A', '0'); }
void callPoll() { txFrame.buildPlain(kAddress, 'A', '3'); }
void ioPoll() { txFrame.buildPlain(kAddress, 'A', '4'); }
void speedPoll() { txFrame.buildPlain(kAddress, 'A', '8'); }

void readFaultRecord(int n) { txFrame.buildByte(kAddress, 'A', '1', unsigned(n)); }
void readShortFaultRecord(int n) { txFrame.buildChar(kAddress, 'A', '1', "0123456789ABCDEF"[n & 0xF]); }
void readElevatorId() { txFrame.buildPlain(kAddress, 'A', '2'); }
void readParameter(int n) { txFrame.buildByte(kAddress, 'A', '5', unsigned(n)); }
void readShaftValue(int n) { txFrame.buildByte(kAddress, 'A', '6', unsigned(n)); }
void readTelephone() { txFrame.buildPlain(kAddress, 'A', '7'); }
void readClock() { txFrame.buildPlain(kAddress, 'A', '9'); }
void readRunCounter() { txFrame.buildPlain(kAddress, 'A', 'A'); }
void readProgramName() { txFrame.buildPlain(kAddress, 'A', 'B'); }
void readLockoutPeriod(int floor) { txFrame.buildByte(kAddress, 'A', 'C', unsigned(floor)); }

void setElevatorId(const char* idWithCr) { txFrame.buildText(kAddress, 'F', '1', idWithCr); }
void setTelephone(const char* numberWithCr) { txFrame.buildText(kAddress, 'F', '2', numberWithCr); }
void registerCall(char kind, int floor) { txFrame.buildCharByte(kAddress, 'F', '3', kind, unsigned(floor)); }
void startShaftLearning() { txFrame.buildPlain(kAddress, 'F', '4'); }
void writeParameter(int n, unsigned value) { txFrame.buildByteWord(kAddress, 'F', '5', unsigned(n), value); }
void writeParameterChars(int n, const char* four) { txFrame.buildByteText4(kAddress, 'F', '5', unsigned(n), four); }
void acknowledgeFault() { txFrame.buildPlain(kAddress, 'F', '6'); }
void setClock(const char* twelveDigits) { txFrame.buildText(kAddress, 'F', '9', twelveDigits); }
void writeLockoutPeriod(const char* tenHex) { txFrame.buildText(kAddress, 'F', 'C', tenHex); }
void setIcCard(int card, char flag) { txFrame.buildWordFlag(kAddress, 'F', 'D', unsigned(card), flag); }
void resetRunCounter() { txFrame.buildChar(kAddress, 'F', 'R', '1'); }
void clearFaultRecords() { txFrame.buildChar(kAddress, 'F', 'R', '2'); }
void resetParameters() { txFrame.buildChar(kAddress, 'F', 'R', '3'); }

} // namespace request

#pragma once

// The catalogue of every request the tool sends. Each call builds one
// request into txFrame, addressed to the controller (address 255).
namespace request {

inline constexpr unsigned char kAddress = 255;

// Live polls, answered asynchronously.
void statusPoll();     // 'A' '0'
void callPoll();       // 'A' '3'
void ioPoll();         // 'A' '4'
void speedPoll();      // 'A' '8'

// Reads.
void readFaultRecord(int n);        // 'A' '1' HH(n); n = 0 also probes the layout
void readShortFaultRecord(int n);   // 'A' '1' one hex digit, n = 0..15
void readElevatorId();              // 'A' '2'
void readParameter(int n);          // 'A' '5' HH(n)
void readShaftValue(int n);         // 'A' '6' HH(n)
void readTelephone();               // 'A' '7'
void readClock();                   // 'A' '9'
void readRunCounter();              // 'A' 'A'
void readProgramName();             // 'A' 'B'
void readLockoutPeriod(int floor);  // 'A' 'C' HH(floor)

// Writes and commands.
void setElevatorId(const char* idWithCr);        // 'F' '1' text
void setTelephone(const char* numberWithCr);     // 'F' '2' text
void registerCall(char kind, int floor);         // 'F' '3' c HH(floor); kind '0' car, '1' up, '2' down
void startShaftLearning();                       // 'F' '4'
void writeParameter(int n, unsigned value);      // 'F' '5' HH(n) LLHH(value)
void writeParameterChars(int n, const char* four); // 'F' '5' HH(n) and four characters
void acknowledgeFault();                         // 'F' '6'
void setClock(const char* twelveDigits);         // 'F' '9' YYMMDDhhmmss
void writeLockoutPeriod(const char* tenHex);     // 'F' 'C' ten hex digits
void setIcCard(int card, char flag);             // 'F' 'D' LLHH(card) flag ('F' valid, '0' invalid)
void resetRunCounter();                          // 'F' 'R' '1'
void clearFaultRecords();                        // 'F' 'R' '2'
void resetParameters();                          // 'F' 'R' '3'

} // namespace request

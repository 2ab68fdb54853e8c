; Test data: a small 12C509 program whose ID words carry a serial number (0x400-0x403, beyond
; program memory), without code protection, so that every word can be compared.
; Assemble: gpasm serial509.asm
        list    p=12c509
        #include <p12c509.inc>
        __config _MCLRE_ON & _CP_OFF & _WDT_OFF & _IntRC_OSC    ; 0x0FFA
        __idlocs 0x9ABC

        org     0x000
start   movlw   0xAA
        movwf   GPIO
        goto    start
        end

; Test data: a small 12C508 program whose ID words carry a serial number (0x200-0x203, beyond
; program memory), without code protection, so that every word can be compared.
; Assemble: gpasm serial508.asm
        list    p=12c508
        #include <p12c508.inc>
        __config _MCLRE_ON & _CP_OFF & _WDT_OFF & _IntRC_OSC    ; 0x0FFA
        __idlocs 0x1234

        org     0x000
start   movlw   0x55
        movwf   GPIO
        goto    start
        end

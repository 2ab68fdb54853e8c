; Test data: a 12C509 program whose second page begins with a routine at 0x200-0x202, just where a
; 12C508 keeps its ID words; it is no ID words, and the file needs a 12C509.
; Assemble: gpasm page509.asm
        list    p=12c509
        #include <p12c509.inc>
        __config _MCLRE_OFF & _CP_OFF & _WDT_OFF & _IntRC_OSC   ; 0x0FEA

        org     0x000
start   movwf   OSCCAL
        pagesel light
        call    light
        pagesel start
        goto    start

        org     0x200           ; page 1
light   movlw   b'00000001'
        movwf   GPIO
        retlw   0
        end

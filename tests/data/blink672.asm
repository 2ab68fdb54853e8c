; Test data for the Intel HEX reader: a 12C672 with code beyond the 12C671's memory.
; Assemble: gpasm blink672.asm (INHX32, LF)
;           gpasm -a inhx8m -n -o blink672-inhx8m.hex blink672.asm (INHX8M, CR LF)
        list    p=12c672
        #include <p12c672.inc>
        __config _CP_OFF & _MCLRE_OFF & _PWRTE_OFF & _WDT_ON & _INTRC_OSC_CLKOUT ; 0x3F7D
        __idlocs 0xABCD

        org     0x000
        goto    start
        org     0x004
        retfie

start   bsf     STATUS, RP0
        movlw   b'00111101'
        movwf   TRISIO
        bcf     STATUS, RP0
loop    movlw   0x02
        xorwf   GPIO, f
        clrwdt
        goto    far

        org     0x7F0           ; beyond the 12C671's memory, below the calibration word
far     nop
        goto    loop
        end
